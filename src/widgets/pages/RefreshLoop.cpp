#include "widgets/pages/RefreshLoop.h"

#include "data/LostLink.h"
#include "link/RSComm.h"
#include "widgets/pages/StaleValue.h"
#include "widgets/pages/Stepper.h"

#include <QPointer>
#include <QWidget>

namespace kalvex {

RefreshLoop::RefreshLoop(QWidget* owner, RSComm& link, PassBuilder beginPass)
    : QObject(owner), m_link(link), m_beginPass(std::move(beginPass)),
      m_lostLink(LostLink::of(link)),
      m_stepper(new Stepper(
          owner, link,
          [this] {
              const QPointer<RefreshLoop> alive(this);
              const bool stepped = step();
              return !alive || (stepped && !m_paced) ? 0 : kOfflineIntervalMs;
          },
          this)) {
    connect(&link, &RSComm::linkLost, this, [this] {
        m_sawLoss = true;
        if (!m_holdsLink) abortPass();
    });
}

RefreshLoop::~RefreshLoop() {
    releaseLink();
}

void RefreshLoop::start() {
    m_running = true;
    m_sawLoss = false;
    m_stepper->start();
}

void RefreshLoop::stop() {
    m_running = false;
    m_stepper->stop();
    abortPass();
}

void RefreshLoop::runPassToEnd() {
    if (m_holdsLink) return;
    m_holdsLink = true;
    m_lostLink.hold();
}

void RefreshLoop::abortPass() {
    m_pass.clear();
    releaseLink();
}

void RefreshLoop::releaseLink() {
    if (!m_holdsLink) return;
    m_holdsLink = false;
    m_lostLink.release();
}

void RefreshLoop::addRead(const QString& address, Sink sink, Condition when, QWidget* shows) {
    m_pass.push_back({[this, address, sink = std::move(sink), shows = QPointer<QWidget>(shows)] {
                          const QPointer<RefreshLoop> alive(this);
                          const LinkResult r = m_link.readValue(address);
                          if (!alive) return; // the page closed under a retry box
                          if (r) {
                              stale::markRead(shows); // before the sink paints its own look
                              sink(r.value);
                          } else {
                              stale::markFailed(shows, r.failure);
                          }
                          finish(r);
                      },
                      std::move(when), true});
}

void RefreshLoop::addWrite(const QString& address, const QString& value, Condition when) {
    m_pass.push_back({[this, address, value] {
                          const QPointer<RefreshLoop> alive(this);
                          const LinkResult r = m_link.writeValue(address, value);
                          if (alive) finish(r);
                      },
                      std::move(when), true});
}

void RefreshLoop::addBoardStep(BoardRequest request, Condition when) {
    m_pass.push_back({[this, request = std::move(request)] {
                          const QPointer<RefreshLoop> alive(this);
                          const LinkResult r = request();
                          if (alive) finish(r);
                      },
                      std::move(when), true});
}

void RefreshLoop::finish(const LinkResult& result) {
    if (result) return;
    m_sawLoss = m_sawLoss || result.failure == LinkFailure::NoAnswer;
    abortPass();
}

bool RefreshLoop::boardMayGoOn() const {
    return m_running && m_link.OnlineMode() && (!m_guard || m_guard());
}

bool RefreshLoop::step() {
    if (!m_running || !m_stepper->mayStep()) return false;
    if (m_pass.empty()) {
        releaseLink();
        if (m_sawLoss) { // the pass that saw the link lost has ended
            m_sawLoss = false;
            const QPointer<RefreshLoop> alive(this);
            m_lostLink.settle();
            if (!alive || !m_running) return true;
        }
        ++m_passes;
        m_beginPass(*this);
        return true;
    }
    Step s = std::move(m_pass.front());
    m_pass.pop_front();
    if (s.board && !boardMayGoOn()) {
        abortPass();
        return true;
    }
    if (!s.when || s.when()) s.run();
    return true;
}

} // namespace kalvex

#include "data/LostLink.h"

#include "link/RSComm.h"

namespace kalvex {

LostLink& LostLink::of(RSComm& link) {
    if (auto* w = link.findChild<LostLink*>(QString(), Qt::FindDirectChildrenOnly)) return *w;
    return *new LostLink(link);
}

LostLink::LostLink(RSComm& link) : QObject(&link), m_link(link) {
    connect(&link, &RSComm::linkLost, this, [this] { m_lost = true; });
    connect(&link, &RSComm::onlineModeChanged, this, [this](bool on) { m_lost = m_lost && on; });
}

void LostLink::settle() {
    if (!m_lost || m_holds > 0 || m_link.isBusy()) return;
    m_lost = false;
    if (m_link.OnlineMode()) m_link.setOnlineMode(false);
}

} // namespace kalvex

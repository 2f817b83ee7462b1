#include "data/LostLink.h"

#include "link/RSComm.h"

namespace kalvex {

LostLink& LostLink::of(RSComm& link) {
    if (auto* w = link.findChild<LostLink*>(QString(), Qt::FindDirectChildrenOnly)) return *w;
    return *new LostLink(link);
}

LostLink::LostLink(RSComm& link) : QObject(&link), m_link(link) {
    // A loss belongs to the online spell it was seen in: a silent board that never came online
    // must not take the next good connection offline (whose announcement may reach the other
    // windows, and their first reads, before this watcher).
    connect(&link, &RSComm::linkLost, this, [this] { m_lost = m_link.OnlineMode(); });
    connect(&link, &RSComm::onlineModeChanged, this, [this] { m_lost = false; });
}

void LostLink::settle() {
    if (!m_lost || m_holds > 0 || m_link.isBusy()) return;
    m_lost = false;
    if (m_link.OnlineMode()) m_link.setOnlineMode(false);
}

} // namespace kalvex

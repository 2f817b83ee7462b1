#pragma once
#include <QLoggingCategory>
#include <QString>

#include <functional>

namespace kalvex {

// "kalvex.link.trace": every byte exchange with the board (byte sent, reply, how long the
// reply took) for service work. Off by default; while off an exchange pays one flag test.
Q_DECLARE_LOGGING_CATEGORY(lcLinkTrace)

inline bool linkTraceOn() {
    return lcLinkTrace().isDebugEnabled();
}

// Sends nothing itself: runs `wait` (the wait for the reply, unless `noWait`), logs the
// exchange and returns the reply.
int tracedReply(int sent, bool noWait, const std::function<int()>& wait);

// --trace FILE: turns the category on and appends its lines to FILE, each with the time of
// day; other messages go where they went before. False with the reason when FILE cannot be
// opened.
bool startLinkTrace(const QString& path, QString* error);

} // namespace kalvex

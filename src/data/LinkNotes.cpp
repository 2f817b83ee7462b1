#include "data/LinkNotes.h"

namespace kalvex {

QString notWrittenText(const QString& address, const QString& value, LinkFailure why) {
    return QStringLiteral("System Message:  %1 = %2 was NOT written to the board (%3)")
        .arg(address, value, failureText(why));
}

QString lineHealthText(const RSComm::LineHealth& h) {
    if (h.resyncs == 0 && h.wrongEchoes == 0 && h.failedRequests == 0)
        return QStringLiteral("Line: no errors since the program started");
    return QStringLiteral("Line since the program started:\n"
                          "%1 wrong echoes (%2 writes sent again)\n"
                          "%3 replies recovered after a resynchronisation\n"
                          "%4 requests failed\n"
                          "Errors that keep coming point at the cable or its connectors.")
        .arg(h.wrongEchoes)
        .arg(h.writesRepeated)
        .arg(h.resyncs)
        .arg(h.failedRequests);
}

} // namespace kalvex

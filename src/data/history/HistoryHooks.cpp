#include "data/history/HistoryHooks.h"

#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/history/HistoryRecorder.h"
#include "data/program/ProgramDownload.h"

namespace kalvex {

namespace {

QString transferName(int code) {
    const QString direction = code >= 10 ? QStringLiteral("Download") : QStringLiteral("Upload");
    switch (code % 10) {
    case 0:
        return direction + QStringLiteral(" Set-up");
    case 1:
        return direction + QStringLiteral(" Shift Data");
    case 2:
        return direction + QStringLiteral(" Labels");
    default:
        return direction + QStringLiteral(" All");
    }
}

} // namespace

void noteTransferStart(AppState& state) {
    if (state.gHistory) state.gHistory->beginTransfer();
}

void noteTransferEnd(AppState& state, int code, const TransferOutcome& o) {
    if (!state.gHistory) return;
    using K = TransferOutcome::Kind;
    const QString how = o.kind == K::Complete    ? QStringLiteral("complete")
                        : o.kind == K::Cancelled ? QStringLiteral("cancelled")
                                                 : QStringLiteral("failed");
    QString text = QStringLiteral("%1, %2 of %3 items").arg(how).arg(o.doneItems).arg(o.totalItems);
    if (o.readBack && !o.readBack->mismatches.empty())
        text += QStringLiteral(", %1 differ on read-back").arg(o.readBack->mismatches.size());
    state.gHistory->endTransfer(
        historyEvent(HistoryKind::Transfer, transferName(code), text, failureText(o.failure)));
}

void noteProgramDownload(AppState& state, const QString& file, int outcome, int sent, int records) {
    using O = ProgramDownload::Outcome;
    static const QStringList kTexts = {QStringLiteral("running"),
                                       QStringLiteral("complete"),
                                       QStringLiteral("offline"),
                                       QStringLiteral("program not valid"),
                                       QStringLiteral("file error"),
                                       QStringLiteral("declined"),
                                       QStringLiteral("no answer from the board"),
                                       QStringLiteral("checksum error"),
                                       QStringLiteral("board did not leave program mode"),
                                       QStringLiteral("interrupted")};
    const QString how = kTexts.value(outcome);
    noteHistory(state, HistoryKind::ProgramDownload, file,
                QStringLiteral("%1 of %2 records sent").arg(sent).arg(records),
                outcome == int(O::Complete) ? failureText(LinkFailure::None) : how);
}

} // namespace kalvex

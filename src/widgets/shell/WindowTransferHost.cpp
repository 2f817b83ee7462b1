#include "widgets/shell/WindowTransferHost.h"

#include "data/TransferMarker.h"
#include "link/RSComm.h"
#include "widgets/dialogs/frmLabelRange.h"
#include "widgets/dialogs/frmProcessing.h"

namespace kalvex {

std::optional<LabelRange> WindowTransferHost::askLabelRange() {
    frmLabelRange dialog(m_prompt, m_parent);
    dialog.exec();
    return dialog.range();
}

namespace {

constexpr int kMarkerEveryItems = 50;

QString setName(const TransferPlan& plan) {
    switch (plan.code) {
    case kDownloadSetup:
        return QStringLiteral("Set-up Data");
    case kDownloadShift:
        return QStringLiteral("Shift Data");
    case kDownloadLabels:
        return QStringLiteral("Label Data");
    case kDownloadAll:
        return QStringLiteral("All Data");
    default:
        return QStringLiteral("%1 chosen items").arg(plan.items.size());
    }
}

} // namespace

// A download marks what it has done so far. One stopped by the program's quit leaves its mark
// for the next start; any other end removes it, as the operator saw how it ended.
void WindowTransferHost::showProcessing(DataTransfer& transfer) {
    frmProcessing dialog(transfer, m_link, m_parent);
    std::optional<TransferMarkerFile> marker;
    if (!transfer.plan().upload && !m_markerFolder.isEmpty()) {
        TransferMarker m;
        m.what = setName(transfer.plan());
        m.port = m_link.port() ? m_link.port()->deviceName() : QString();
        m.total = transfer.totalItems();
        marker.emplace(transferMarkerPath(m_markerFolder), m, kMarkerEveryItems);
        marker->start();
        QObject::connect(&dialog, &frmProcessing::stepped, &dialog,
                         [&marker](int value) { marker->progress(value); });
    }
    dialog.exec();
    if (!marker) return;
    if (!dialog.stoppedForQuit())
        marker->finished();
    else
        marker->stopped(transfer.value(), transfer.failed() ? TransferMarker::State::Running
                                                            : TransferMarker::State::Stopped);
}

} // namespace kalvex

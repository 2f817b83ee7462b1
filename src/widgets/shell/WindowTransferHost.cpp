#include "widgets/shell/WindowTransferHost.h"

#include "widgets/dialogs/frmLabelRange.h"
#include "widgets/dialogs/frmProcessing.h"

namespace kalvex {

std::optional<LabelRange> WindowTransferHost::askLabelRange() {
    frmLabelRange dialog(m_prompt, m_parent);
    dialog.exec();
    return dialog.range();
}

void WindowTransferHost::showProcessing(DataTransfer& transfer) {
    frmProcessing dialog(transfer, m_link, m_parent);
    dialog.exec();
}

} // namespace kalvex

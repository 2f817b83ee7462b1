#include "WindowTransferHost.h"

#include "data/frmLabelRange.h"
#include "data/frmProcessing.h"

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

#include "WindowTransferHost.h"

#include "data/frmLabelRange.h"
#include "data/frmProcessing.h"

namespace kalvex {

void WindowTransferHost::showLabelRange(AppState& state) {
    frmLabelRange dialog(state, m_prompt, m_parent);
    dialog.exec();
}

void WindowTransferHost::showProcessing(DataTransfer& transfer) {
    frmProcessing dialog(transfer, m_link, m_parent);
    dialog.exec();
}

} // namespace kalvex

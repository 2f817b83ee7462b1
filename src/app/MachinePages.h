#pragma once
#include "widgets/shell/frmMDIMain.h"

namespace kalvex::app {

// The Window menu's pages that exist, in menu order.
std::array<PageFactory, frmMDIMain::kPageCount> machinePages(AppState& state, RSComm& link,
                                                             Prompt& prompt);

} // namespace kalvex::app

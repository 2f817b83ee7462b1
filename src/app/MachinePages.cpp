#include "MachinePages.h"

#include "pages/frmMain.h"
#include "pages/frmSetup.h"

namespace kalvex::app {

namespace {

template <class Page> PageFactory factory(AppState& state, RSComm& link, Prompt& prompt) {
    return [&] { return new Page(state, link, prompt); };
}

} // namespace

std::array<PageFactory, frmMDIMain::kPageCount> machinePages(AppState& state, RSComm& link,
                                                             Prompt& prompt) {
    return {factory<frmMain>(state, link, prompt), factory<frmSetup>(state, link, prompt)};
}

} // namespace kalvex::app

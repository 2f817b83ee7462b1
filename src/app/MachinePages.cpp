#include "MachinePages.h"

#include "pages/frmMain.h"
#include "pages/frmSetup.h"

namespace kalvex::app {

namespace {

template <class Page> PageFactory factory(AppState& state, RSComm& link, Prompt& prompt) {
    return [&](const std::function<void()>& updateOnlineMode) {
        auto* page = new Page(state, link, prompt);
        page->UpdateOnlineMode = updateOnlineMode;
        return page;
    };
}

} // namespace

std::array<PageFactory, frmMDIMain::kPageCount> machinePages(AppState& state, RSComm& link,
                                                             Prompt& prompt) {
    return {factory<frmMain>(state, link, prompt), factory<frmSetup>(state, link, prompt)};
}

} // namespace kalvex::app

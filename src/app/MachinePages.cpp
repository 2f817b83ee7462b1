#include "MachinePages.h"

#include "pages/frmMain.h"
#include "pages/frmSetup.h"

namespace kalvex::app {

std::array<PageFactory, frmMDIMain::kPageCount> machinePages(AppState& state, RSComm& link,
                                                             Prompt& prompt) {
    std::array<PageFactory, frmMDIMain::kPageCount> pages{};
    pages[0] = [&](const std::function<void()>& updateOnlineMode) {
        auto* page = new frmMain(state, link, prompt);
        page->UpdateOnlineMode = updateOnlineMode;
        return page;
    };
    pages[1] = [&](const std::function<void()>& updateOnlineMode) {
        auto* page = new frmSetup(state, link, prompt);
        page->UpdateOnlineMode = updateOnlineMode;
        return page;
    };
    return pages;
}

} // namespace kalvex::app

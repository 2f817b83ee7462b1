#include "app/MachinePages.h"

#include "widgets/pages/frm5800DF1.h"
#include "widgets/pages/frmColorControl.h"
#include "widgets/pages/frmData.h"
#include "widgets/pages/frmDisplayIO.h"
#include "widgets/pages/frmMain.h"
#include "widgets/pages/frmSetup.h"

namespace kalvex::app {

namespace {

template <class Page> PageFactory factory(AppState& state, RSComm& link, Prompt& prompt) {
    return [&] { return new Page(state, link, prompt); };
}

} // namespace

std::array<PageFactory, frmMDIMain::kPageCount> machinePages(AppState& state, RSComm& link,
                                                             Prompt& prompt) {
    return {
        factory<frmMain>(state, link, prompt),         factory<frmSetup>(state, link, prompt),
        factory<frmColorControl>(state, link, prompt), factory<frm5800DF1>(state, link, prompt),
        factory<frmData>(state, link, prompt),         factory<frmDisplayIO>(state, link, prompt)};
}

} // namespace kalvex::app

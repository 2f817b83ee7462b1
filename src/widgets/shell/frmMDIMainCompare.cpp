// File > Compare with Board and its entry in the Download drop-down.
#include "data/AppState.h"
#include "data/DataCompare.h"
#include "widgets/dialogs/frmCompare.h"
#include "widgets/shell/frmMDIMain.h"

namespace kalvex {

void frmMDIMain::mnuFileCompare_Click(int index) {
    DataCompare compare(m_ctx.link, m_ctx.prompt, m_host);
    const auto differences = compare.compareSet(m_ctx.state, index);
    if (!differences) return; // declined, cancelled, or the board was not read to the end
    frmCompare window(m_ctx.state.gCurrentData, *differences, index, compare, m_ctx.prompt, this);
    window.setFileCaption(m_ctx.state.gFileNameCaption);
    window.exec();
}

} // namespace kalvex

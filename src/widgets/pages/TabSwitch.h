#pragma once
#include <QGroupBox>
#include <QTabBar>

#include <vector>

namespace kalvex {

// The tab strip of a page whose passes read only the visible tab: choosing a tab shows its
// frame alone, and the pass under way learns of the change before its next board step.
class TabSwitch {
  public:
    void attach(QTabBar* bar, std::vector<QGroupBox*> frames) {
        m_bar = bar;
        m_frames = std::move(frames);
    }

    // False for a tab the strip does not have.
    bool select(int tab) {
        if (tab < 0 || tab >= int(m_frames.size())) return false;
        for (QGroupBox* f : m_frames)
            f->hide();
        m_frames[size_t(tab)]->show();
        if (m_bar->currentIndex() != tab) m_bar->setCurrentIndex(tab);
        m_changed = true;
        return true;
    }
    // The refresh loop's guard: false once after a change, which ends the old tab's pass.
    bool sameTab() {
        const bool same = !m_changed;
        m_changed = false;
        return same;
    }
    // A new pass is laid out for the tab now shown.
    void passLaidOut() { m_changed = false; }

  private:
    QTabBar* m_bar = nullptr;
    std::vector<QGroupBox*> m_frames;
    bool m_changed = false;
};

} // namespace kalvex

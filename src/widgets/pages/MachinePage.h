#pragma once
#include <QWidget>

#include <functional>

class QPushButton;

namespace kalvex {

class AppState;
class Prompt;
class RefreshLoop;
class RSComm;

// What every machine page shares: the program state and link it works on, its refresh cycle,
// the switch to offline after a comm error, and preparing its controls once per mode.
class MachinePage : public QWidget {
    Q_OBJECT
  public:
    // Called after the page has switched the program offline on a comm error; the host
    // opens or closes the port and updates its menus.

    // Prepares the page for the current mode and (re)starts its refresh cycle; showing the
    // page does this too.
    virtual void Activate() = 0;
    // Ends the refresh cycle and drops what the user was typing; the page's destructor runs it.
    void Unload();

    RefreshLoop& refreshLoop() { return *m_loop; }

  protected:
    MachinePage(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent);

    // Lays out one refresh pass.
    virtual void beginPass(RefreshLoop& loop) = 0;
    virtual void ShowOnline() = 0;
    virtual void ShowOffline() = 0;
    virtual void clearEditing() {}

    // The start of every pass: a comm error takes the program offline, and the page is
    // prepared for offline once. True when the pass is an online one; preparing for online
    // is the page's own, since it may need the board.
    bool startPass();

    // cmdDefault: only a place to park the focus, so it is neither seen nor reached by Tab.
    QPushButton* makeDefaultButton();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    AppState& m_state;
    RSComm& m_link;
    Prompt& m_prompt;
    RefreshLoop* m_loop;
    bool m_onlinePrepared = false;
    bool m_offlinePrepared = false;
};

} // namespace kalvex

#pragma once
#include "data/pages/BlowoffCommands.h"
#include "link/LinkResult.h"
#include "widgets/pages/TabSwitch.h"

#include <QWidget>

#include <optional>
#include <ranges>
#include <vector>

class QAbstractButton;
class QPushButton;

namespace kalvex {

class AppState;
class EntryFieldGroup;
class HeldBit;
class Prompt;
class RefreshLoop;
class RSComm;

// What every machine page shares: the program state and link it works on, its refresh cycle,
// preparing its controls once per mode, its entry fields, the tab strip whose change ends a
// pass, the held buttons whose 0 it owes the board, and unloading all of it as it goes.
//
// The page follows the link's signals: a mode change (a lost link goes offline, LostLink)
// ends the running pass, and the next pass prepares the controls for the new mode.
class MachinePage : public QWidget {
    Q_OBJECT
  public:
    enum class Mode { Online, Offline };

    // Prepares the page for the current mode and (re)starts its refresh cycle; showing the
    // page does this too.
    void Activate();
    ~MachinePage() override;

    // Ends the refresh cycle, clears the bits the page still owes and drops what the user was
    // typing; the page's destruction runs it.
    void Unload();

    RefreshLoop& refreshLoop() { return *m_loop; }

  protected:
    MachinePage(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent);

    // Before the cycle (re)starts, e.g. back to the first tab.
    virtual void onActivate() {}
    // At the start of every pass, whatever the mode.
    virtual void beforePass() {}
    // The first step of the first online pass; it may make one board request.
    virtual void ShowOnline() = 0;
    // At once, when the first offline pass is laid out.
    virtual void ShowOffline() = 0;
    // The board steps of an online pass.
    virtual void addOnlineSteps(RefreshLoop& loop) = 0;
    // An offline pass: the data set shown, in one step.
    virtual void RefreshOffline() = 0;
    // Drops what the user was typing (at destruction only the entry fields' part runs).
    virtual void clearEditing();
    // As the controls are prepared for another mode: the values read no longer stand (a page
    // that keeps showing the board's values offline keeps their marks).
    virtual void forgetReads();

    bool online() const { return m_mode == Mode::Online; }
    // The next pass prepares the controls again (offline editing switched, say).
    void prepareAgain() { m_prepared.reset(); }
    // Offline editing was switched since the page last looked: the next pass prepares the
    // controls again. True when it was.
    bool offlineEditChanged();
    // The controls now follow the current offline-editing setting.
    void offlineEditFollowed();
    // A command's write: sent only while the page is online, so an offline page sends nothing.
    LinkResult write(const QString& address, const QString& value);
    // A write nothing else waits on: a failure is told in the status bar by the link, and the
    // running pass starts over, so the fields show the board's value again.
    void sendValue(const QString& address, const QString& value);
    // Several writes in order; the first that fails ends them.
    LinkResult writeInOrder(const std::vector<BoardWrite>& writes);
    // A command's writes in order, reported as sendValue reports one.
    void sendInOrder(const std::vector<BoardWrite>& writes);

    // cmdDefault: only a place to park the focus, so it is neither seen nor reached by Tab.
    QPushButton* makeDefaultButton();
    // The page's entry fields, parking the focus on `defaultButton` (m_fields).
    EntryFieldGroup* makeFields(QAbstractButton* defaultButton);
    // A board bit set while the mouse holds `button`; an owed 0 is sent before the next online
    // pass, or offered as the page unloads.
    HeldBit* addHeldBit(QAbstractButton* button, const QString& address);
    // The controls enabled per mode: live ones only online; editable ones online or, with
    // offline editing on, offline too. The page applies both lists as it shows a mode.
    void addLiveControls(const std::vector<QWidget*>& widgets);
    void addEditableControls(const std::vector<QWidget*>& widgets);
    // The same for a row of controls (an array of labels or frames, or a part of one).
    template <std::ranges::input_range Row> void addLiveControls(const Row& row) {
        m_liveControls.insert(m_liveControls.end(), std::ranges::begin(row), std::ranges::end(row));
    }
    template <std::ranges::input_range Row> void addEditableControls(const Row& row) {
        m_editableControls.insert(m_editableControls.end(), std::ranges::begin(row),
                                  std::ranges::end(row));
    }
    void enableControls(bool online);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    AppState& m_state;
    RSComm& m_link;
    Prompt& m_prompt;
    RefreshLoop* m_loop;
    EntryFieldGroup* m_fields = nullptr;
    // Passes read the visible tab only: a change ends the pass under way.
    TabSwitch m_tabs;

  private:
    void layOutPass(RefreshLoop& loop);
    void follow(Mode mode);
    Mode linkMode() const;
    void offerToClear(HeldBit& bit);

    Mode m_mode;
    std::optional<Mode> m_prepared; // what the controls are prepared for
    bool m_labelsFilled = false;
    bool m_lastOfflineEdit = false;
    std::vector<HeldBit*> m_heldBits;
    std::vector<QWidget*> m_liveControls;
    std::vector<QWidget*> m_editableControls;
};

} // namespace kalvex

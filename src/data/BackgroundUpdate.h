#pragma once
#include <QObject>
#include <QString>

namespace kalvex {

class AppState;
class RSComm;

inline const QString kFaultBoxText = QStringLiteral("Faults Acitve in Target Board");

// The text one bit (0-15) of the machine alarm word W98 contributes to its alarm block.
QString alarmText(int bit);
// The alarm blocks of the machine alarm word W98, bit 0 first.
QString alarmMessage(int alarmValue);

// What one tick of the background update decided.
struct BackgroundTick {
    bool changed = false; // false: both outputs keep their last texts
    QString statusPanel;  // text for the STATUS panel
    bool showFaultBox = false;
};

// The 500 ms poll of the processor fault code and the alarm word: writes gStatusMessage and
// says what the STATUS panel shows and when the fault box is due (once per fault episode).
class BackgroundUpdate {
  public:
    BackgroundUpdate(RSComm& link, AppState& state);

    BackgroundTick tick();
    bool faultShown() const { return m_faultShown; }

  private:
    BackgroundTick offline();
    BackgroundTick faulted(int faultCode);
    BackgroundTick alarms();

    RSComm& m_link;
    AppState& m_state;
    bool m_faultShown = false;
    bool m_lost = false; // the link was lost and has not been online since
    QObject m_watch;     // scope of the connections to the link's signals
};

} // namespace kalvex

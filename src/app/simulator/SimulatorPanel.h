#pragma once
#include <QDockWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace kalvex {
class RSComm;
namespace sim {
class PtyServer;
}

namespace app {

// The trainer's controls over the built-in board: the machine, its alarms and fault codes,
// spindle trips, the ductor mode and link faults. Every control runs a simulator command on
// the board model only; the program learns of it through the link, as it would from a real
// machine.
class SimulatorPanel final : public QDockWidget {
    Q_OBJECT
  public:
    SimulatorPanel(sim::PtyServer& simulator, RSComm& link, QWidget* parent = nullptr);

    // Runs one simulator command line; false, with the reason shown, when it is not one.
    bool run(const QString& command);
    // Shows what the board model holds now.
    void showBoard();

  Q_SIGNALS:
    // The trainer closed the panel with its own close button.
    void closed();

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    struct Ui {
        QCheckBox* chkSimRunning = nullptr;
        QSlider* sldSimSpeed = nullptr;
        QSpinBox* spnSimSpeed = nullptr;
        QSpinBox* spnSimBadRate = nullptr;
        std::array<QCheckBox*, 16> chkSimAlarm{};
        std::array<QComboBox*, 4> cboSimCode{};
        QSpinBox* spnSimTripSpindle = nullptr;
        QComboBox* cboSimTripCause = nullptr;
        QPushButton* cmdSimTrip = nullptr;
        QComboBox* cboSimDuctors = nullptr;
        QSpinBox* spnSimSilentAfter = nullptr;
        QSpinBox* spnSimDelay = nullptr;
        QLabel* lblSimLink = nullptr;
        QLabel* lblSimMessage = nullptr;
    };

    QWidget* machineBox();
    QWidget* alarmBox();
    QWidget* codeBox(RSComm& link);
    QWidget* shiftBox();
    QWidget* linkBox();
    QPushButton* commandButton(const QString& name, const QString& caption,
                               std::function<QString()> command);

    sim::PtyServer& m_sim;
    Ui ui;
};

// Runs each step of the timeline file at its time after now, on the simulator. False, with
// "path: line N: why" in `error`, when the file cannot be used; then nothing is run.
bool playTimeline(sim::PtyServer& simulator, const QString& path, QObject* owner, QString* error);

} // namespace app
} // namespace kalvex

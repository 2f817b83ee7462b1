#include "app/simulator/SimulatorPanel.h"

#include "data/BackgroundUpdate.h"
#include "link/CsvLine.h"
#include "link/ProgramFolder.h"
#include "link/RSComm.h"
#include "link/SafeFile.h"
#include "sim/PtyServer.h"
#include "sim/Timeline.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <cstdio>
#include <map>

namespace kalvex::app {

namespace {

// The code registers the panel sets, with their commands.
struct CodeRegister {
    const char* verb;
    const char* caption;
    bool comm;
};
constexpr CodeRegister kCodeRegisters[4] = {
    {"fault", "Current fault (B8176):", false},
    {"last_fault", "Last fault (B8177):", false},
    {"comm_error", "Current comm error (B8179):", true},
    {"last_comm_error", "Last comm error (B8178):", true},
};

// The codes a support text file lists, with their texts, in code order.
std::map<int, QString> supportCodes(const QString& programFolder, const QString& fileName) {
    constexpr qint64 kLimit = 1024 * 1024;
    QString why;
    const auto bytes = readLimitedFile(supportFile(programFolder, fileName), kLimit, &why);
    std::map<int, QString> codes;
    if (!bytes) return codes;
    for (const QByteArray& line : bytes->split('\n')) {
        const QStringList fields = splitCsvLine(QString::fromLatin1(line).remove(u'\r'));
        bool ok = false;
        const int code = fields.value(0).toInt(&ok, 16);
        if (ok && code > 0 && code <= 255) codes[code] = fields.value(1);
    }
    return codes;
}

QString hexCode(int code) {
    return QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
}

// What the board model holds, read in one go.
struct BoardView {
    bool running = false;
    int speed = 0;
    int badRate = 0;
    int alarms = 0;
    std::array<int, 4> codes{};
    int ductors = 0;
    int spindles = 0;
    sim::Faults faults;
    qint64 received = 0;
};

BoardView readBoard(sim::PtyServer& simulator) {
    BoardView v;
    simulator.withBoard([&v](sim::Board& b) {
        v.running = b.machine().running;
        v.speed = b.machine().speed;
        v.badRate = int(std::lround(b.machine().blowOffPerCan * 1000));
        v.alarms = int(b.value(QStringLiteral("W98")));
        const char* addresses[4] = {"B8176", "B8177", "B8179", "B8178"};
        for (int i = 0; i < 4; ++i)
            v.codes[size_t(i)] = int(b.value(QLatin1String(addresses[i])));
        v.ductors = int(b.value(QStringLiteral("B130")));
        v.spindles = b.machine().spindles;
        v.faults = b.faults();
        v.received = b.receivedCount();
    });
    return v;
}

QString linkText(const BoardView& v) {
    const sim::Faults& f = v.faults;
    QStringList parts;
    if (f.silent || (f.silentAfter >= 0 && v.received >= f.silentAfter))
        parts << QStringLiteral("silent (the cable is out)");
    else if (f.silentAfter >= 0)
        parts << QStringLiteral("silent after %1 more bytes").arg(f.silentAfter - v.received);
    if (f.replyDelayUs > 0)
        parts << QStringLiteral("replies %1 ms late").arg(f.replyDelayUs / 1000);
    if (f.wrongEchoNext) parts << QStringLiteral("the next reply is wrong");
    if (parts.isEmpty()) parts << QStringLiteral("answering");
    return QStringLiteral("Link: ") + parts.join(QStringLiteral("; "));
}

void selectCode(QComboBox* box, int code) {
    int i = box->findData(code);
    if (i < 0) {
        box->addItem(QStringLiteral("%1H (not in the text file)").arg(hexCode(code)), code);
        i = box->count() - 1;
    }
    box->setCurrentIndex(i);
}

// The panel's controls carry no access keys: they would take the pages' own.
QWidget* column(std::initializer_list<QWidget*> parts) {
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    for (QWidget* part : parts)
        layout->addWidget(part);
    layout->addStretch();
    return w;
}

// The alarm's first line, unless it breaks off mid-phrase; the whole text is the tool tip.
QString alarmCaption(int bit) {
    const QString text = alarmText(bit);
    QString caption = text.section(QStringLiteral("\r\n"), 0, 0).trimmed();
    if (caption.endsWith(u'/')) caption = text.simplified();
    if (caption.isEmpty()) caption = QStringLiteral("(no operator text)");
    return QStringLiteral("%1: %2").arg(bit).arg(caption);
}

QSpinBox* spinBox(const QString& name, int min, int max, int value, const QString& suffix) {
    auto* s = new QSpinBox;
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(value);
    s->setSuffix(suffix);
    return s;
}

} // namespace

SimulatorPanel::SimulatorPanel(sim::PtyServer& simulator, RSComm& link, QWidget* parent)
    : QDockWidget(QStringLiteral("Simulator Panel"), parent), m_sim(simulator) {
    setObjectName(QStringLiteral("SimulatorPanel"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("tabSimulator"));
    tabs->addTab(column({machineBox(), shiftBox()}), QStringLiteral("Machine"));
    tabs->addTab(column({alarmBox()}), QStringLiteral("Alarms"));
    tabs->addTab(column({codeBox(link)}), QStringLiteral("Faults"));
    tabs->addTab(column({linkBox()}), QStringLiteral("Link"));
    ui.lblSimMessage = new QLabel(QStringLiteral("Changes go to the simulated board only."));
    ui.lblSimMessage->setObjectName(QStringLiteral("lblSimMessage"));
    ui.lblSimMessage->setWordWrap(true);
    setWidget(column({tabs, ui.lblSimMessage}));
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        if (isVisible()) showBoard();
    });
    timer->start(500);
    showBoard();
}

void SimulatorPanel::closeEvent(QCloseEvent* e) {
    QDockWidget::closeEvent(e);
    Q_EMIT closed();
}

bool SimulatorPanel::run(const QString& command) {
    QString why;
    const auto c = sim::parseSimCommand(command, &why);
    if (!c) {
        ui.lblSimMessage->setText(why);
        return false;
    }
    m_sim.withBoard([&c](sim::Board& b) { sim::applySimCommand(b, *c); });
    ui.lblSimMessage->setText(QStringLiteral("Last change: ") + command);
    showBoard();
    return true;
}

QWidget* SimulatorPanel::machineBox() {
    auto* box = new QGroupBox(QStringLiteral("Machine"));
    auto* form = new QFormLayout(box);
    ui.chkSimRunning = new QCheckBox(QStringLiteral("Running"));
    ui.chkSimRunning->setObjectName(QStringLiteral("chkSimRunning"));
    connect(ui.chkSimRunning, &QCheckBox::clicked, this,
            [this](bool on) { run(on ? QStringLiteral("run") : QStringLiteral("stop")); });
    ui.sldSimSpeed = new QSlider(Qt::Horizontal);
    ui.sldSimSpeed->setObjectName(QStringLiteral("sldSimSpeed"));
    ui.sldSimSpeed->setRange(0, 2000);
    ui.sldSimSpeed->setSingleStep(10);
    ui.sldSimSpeed->setPageStep(100);
    ui.spnSimSpeed = spinBox(QStringLiteral("spnSimSpeed"), 0, 65535, 0, QString());
    const auto setSpeed = [this](int v) {
        const QSignalBlocker a(ui.sldSimSpeed), b(ui.spnSimSpeed);
        ui.sldSimSpeed->setValue(v);
        ui.spnSimSpeed->setValue(v);
        run(QStringLiteral("speed %1").arg(v));
    };
    connect(ui.sldSimSpeed, &QSlider::valueChanged, this, setSpeed);
    connect(ui.spnSimSpeed, &QSpinBox::valueChanged, this, setSpeed);
    ui.spnSimBadRate =
        spinBox(QStringLiteral("spnSimBadRate"), 0, 1000, 0, QStringLiteral(" per 1000"));
    connect(ui.spnSimBadRate, &QSpinBox::valueChanged, this,
            [this](int v) { run(QStringLiteral("bad_rate %1").arg(v)); });
    form->addRow(ui.chkSimRunning);
    form->addRow(QStringLiteral("Speed (cans/min):"), ui.spnSimSpeed);
    form->addRow(ui.sldSimSpeed);
    form->addRow(QStringLiteral("Bad cans:"), ui.spnSimBadRate);
    return box;
}

QWidget* SimulatorPanel::alarmBox() {
    auto* box = new QGroupBox(QStringLiteral("Machine alarm word W98"));
    auto* column = new QVBoxLayout(box);
    for (int bit = 0; bit < 16; ++bit) {
        auto* c = new QCheckBox(alarmCaption(bit));
        c->setToolTip(alarmText(bit).trimmed());
        c->setObjectName(QStringLiteral("chkSimAlarm%1").arg(bit));
        connect(c, &QCheckBox::clicked, this, [this, bit](bool on) {
            run(QStringLiteral("alarm %1 %2")
                    .arg(bit)
                    .arg(on ? QStringLiteral("on") : QStringLiteral("off")));
        });
        ui.chkSimAlarm[size_t(bit)] = c;
        column->addWidget(c);
    }
    return box;
}

QWidget* SimulatorPanel::codeBox(RSComm& link) {
    auto* box = new QGroupBox(QStringLiteral("Faults"));
    auto* form = new QVBoxLayout(box);
    const auto faults = supportCodes(link.programFolder(), QStringLiteral("FaultErrCodes.txt"));
    const auto comms = supportCodes(link.programFolder(), QStringLiteral("CommErrCodes.txt"));
    for (int r = 0; r < 4; ++r) {
        const CodeRegister& reg = kCodeRegisters[r];
        auto* combo = new QComboBox;
        combo->setObjectName(QStringLiteral("cboSimCode%1").arg(r));
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(16);
        combo->addItem(QStringLiteral("00H: none"), 0);
        for (const auto& [code, text] : reg.comm ? comms : faults)
            combo->addItem(reg.comm
                               ? QStringLiteral("Comm Error (%1H): %2").arg(hexCode(code), text)
                               : link.FaultDescription(code),
                           code);
        connect(combo, &QComboBox::activated, this, [this, combo, verb = reg.verb](int i) {
            run(QStringLiteral("%1 %2").arg(QLatin1String(verb),
                                            hexCode(combo->itemData(i).toInt())));
        });
        ui.cboSimCode[size_t(r)] = combo;
        form->addWidget(new QLabel(QLatin1String(reg.caption)));
        form->addWidget(combo);
    }
    return box;
}

QWidget* SimulatorPanel::shiftBox() {
    auto* box = new QGroupBox(QStringLiteral("Shift and ductors"));
    auto* form = new QFormLayout(box);
    ui.spnSimTripSpindle = spinBox(QStringLiteral("spnSimTripSpindle"), 1, 36, 1, QString());
    ui.cboSimTripCause = new QComboBox;
    ui.cboSimTripCause->setObjectName(QStringLiteral("cboSimTripCause"));
    const QStringList causes = sim::tripCauses();
    const QStringList captions{QStringLiteral("Bad can"), QStringLiteral("Manual"),
                               QStringLiteral("Q.C."), QStringLiteral("Restart")};
    for (int i = 0; i < causes.size(); ++i)
        ui.cboSimTripCause->addItem(captions.value(i), causes[i]);
    auto* trip = commandButton(QStringLiteral("cmdSimTrip"), QStringLiteral("Trip"), [this] {
        return QStringLiteral("trip %1 %2")
            .arg(ui.spnSimTripSpindle->value())
            .arg(ui.cboSimTripCause->currentData().toString());
    });
    ui.cboSimDuctors = new QComboBox;
    ui.cboSimDuctors->setObjectName(QStringLiteral("cboSimDuctors"));
    for (const char* mode : {"auto", "manual", "off"})
        ui.cboSimDuctors->addItem(QLatin1String(mode), QLatin1String(mode));
    connect(ui.cboSimDuctors, &QComboBox::activated, this, [this](int i) {
        run(QStringLiteral("ductors ") + ui.cboSimDuctors->itemData(i).toString());
    });
    form->addRow(QStringLiteral("Spindle:"), ui.spnSimTripSpindle);
    form->addRow(QStringLiteral("Cause:"), ui.cboSimTripCause);
    form->addRow(trip);
    form->addRow(QStringLiteral("Ink ductors:"), ui.cboSimDuctors);
    return box;
}

QWidget* SimulatorPanel::linkBox() {
    auto* box = new QGroupBox(QStringLiteral("Link"));
    auto* form = new QFormLayout(box);
    ui.lblSimLink = new QLabel;
    ui.lblSimLink->setObjectName(QStringLiteral("lblSimLink"));
    ui.lblSimLink->setWordWrap(true);
    ui.spnSimSilentAfter =
        spinBox(QStringLiteral("spnSimSilentAfter"), 0, 1'000'000, 100, QStringLiteral(" bytes"));
    ui.spnSimDelay = spinBox(QStringLiteral("spnSimDelay"), 0, 60'000, 1500, QStringLiteral(" ms"));
    form->addRow(ui.lblSimLink);
    form->addRow(commandButton(QStringLiteral("cmdSimSilent"), QStringLiteral("Silent now"),
                               [] { return QStringLiteral("silent"); }));
    form->addRow(
        commandButton(
            QStringLiteral("cmdSimSilentAfter"), QStringLiteral("Silent after"),
            [this] {
                return QStringLiteral("silent_after %1").arg(ui.spnSimSilentAfter->value());
            }),
        ui.spnSimSilentAfter);
    form->addRow(
        commandButton(QStringLiteral("cmdSimDelay"), QStringLiteral("Slow replies"),
                      [this] { return QStringLiteral("delay %1").arg(ui.spnSimDelay->value()); }),
        ui.spnSimDelay);
    form->addRow(commandButton(QStringLiteral("cmdSimWrongEcho"), QStringLiteral("One wrong echo"),
                               [] { return QStringLiteral("wrong_echo"); }));
    form->addRow(commandButton(QStringLiteral("cmdSimCable"), QStringLiteral("Cable back"),
                               [] { return QStringLiteral("cable"); }));
    return box;
}

QPushButton* SimulatorPanel::commandButton(const QString& name, const QString& caption,
                                           std::function<QString()> command) {
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [this, command] { run(command()); });
    return b;
}

void SimulatorPanel::showBoard() {
    const BoardView v = readBoard(m_sim);
    ui.chkSimRunning->setChecked(v.running);
    if (!ui.sldSimSpeed->isSliderDown() && !ui.spnSimSpeed->hasFocus()) {
        const QSignalBlocker a(ui.sldSimSpeed), b(ui.spnSimSpeed);
        ui.sldSimSpeed->setValue(v.speed);
        ui.spnSimSpeed->setValue(v.speed);
    }
    if (!ui.spnSimBadRate->hasFocus()) {
        const QSignalBlocker b(ui.spnSimBadRate);
        ui.spnSimBadRate->setValue(v.badRate);
    }
    for (int bit = 0; bit < 16; ++bit)
        ui.chkSimAlarm[size_t(bit)]->setChecked((v.alarms >> bit) & 1);
    for (size_t r = 0; r < 4; ++r)
        selectCode(ui.cboSimCode[r], v.codes[r]);
    ui.spnSimTripSpindle->setMaximum(qBound(1, v.spindles, 36));
    ui.cboSimDuctors->setCurrentIndex((v.ductors & 1) ? 0 : (v.ductors & 2) ? 1 : 2);
    ui.lblSimLink->setText(linkText(v));
}

bool playTimeline(sim::PtyServer& simulator, const QString& path, QObject* owner, QString* error) {
    const auto steps = sim::loadTimeline(path, error);
    if (!steps) return false;
    for (const sim::TimelineStep& step : *steps)
        QTimer::singleShot(std::chrono::milliseconds(step.atMs), owner, [&simulator, step] {
            simulator.withBoard([&step](sim::Board& b) { sim::applySimCommand(b, step.command); });
            std::fprintf(stderr, "kalvex: simulator: %lld ms: %s\n", step.atMs,
                         qPrintable(step.text));
        });
    return true;
}

} // namespace kalvex::app

#include "sim/SimCommand.h"

#include "sim/Board.h"

#include <QRegularExpression>

namespace kalvex::sim {

namespace {

enum class Args { None, Number, Hex, BitSwitch, Trip, Ductors };

struct VerbRule {
    const char* name;
    SimVerb verb;
    Args args;
    qint64 min;
    qint64 max;
    const char* usage;
};

constexpr VerbRule kVerbs[] = {
    {"run", SimVerb::Run, Args::None, 0, 0, "run"},
    {"stop", SimVerb::Stop, Args::None, 0, 0, "stop"},
    {"speed", SimVerb::Speed, Args::Number, 0, 65535, "speed CPM, 0 to 65535"},
    {"bad_rate", SimVerb::BadRate, Args::Number, 0, 1000, "bad_rate N, bad cans per 1000"},
    {"alarm", SimVerb::Alarm, Args::BitSwitch, 0, 15, "alarm BIT on|off, BIT 0 to 15"},
    {"fault", SimVerb::Fault, Args::Hex, 0, 255, "fault CODE, hexadecimal 0 to FF"},
    {"last_fault", SimVerb::LastFault, Args::Hex, 0, 255, "last_fault CODE, hexadecimal 0 to FF"},
    {"comm_error", SimVerb::CommError, Args::Hex, 0, 255, "comm_error CODE, hexadecimal 0 to FF"},
    {"last_comm_error", SimVerb::LastCommError, Args::Hex, 0, 255,
     "last_comm_error CODE, hexadecimal 0 to FF"},
    {"trip", SimVerb::Trip, Args::Trip, 1, 36,
     "trip SPINDLE bad|manual|qc|restart, SPINDLE 1 to 36"},
    {"ductors", SimVerb::Ductors, Args::Ductors, 0, 0, "ductors auto|manual|off"},
    {"silent", SimVerb::Silent, Args::None, 0, 0, "silent"},
    {"silent_after", SimVerb::SilentAfter, Args::Number, 0, 1'000'000'000,
     "silent_after N, bytes 0 to 1000000000"},
    {"delay", SimVerb::Delay, Args::Number, 0, 3'600'000, "delay MS, 0 to 3600000"},
    {"wrong_echo", SimVerb::WrongEcho, Args::None, 0, 0, "wrong_echo"},
    {"cable", SimVerb::Cable, Args::None, 0, 0, "cable"},
};

int wordCount(Args a) {
    switch (a) {
    case Args::None:
        return 1;
    case Args::BitSwitch:
    case Args::Trip:
        return 3;
    default:
        return 2;
    }
}

std::optional<qint64> number(const QString& word, const VerbRule& rule, bool hex) {
    static const QRegularExpression decimalRe(QStringLiteral("^\\d{1,10}$"));
    static const QRegularExpression hexRe(QStringLiteral("^([0-9a-f]{1,2})h?$"));
    const auto m = (hex ? hexRe : decimalRe).match(word);
    if (!m.hasMatch()) return std::nullopt;
    const qint64 v = hex ? m.captured(1).toLongLong(nullptr, 16) : word.toLongLong();
    if (v < rule.min || v > rule.max) return std::nullopt;
    return v;
}

// The command's arguments, or nothing when they do not fit its usage.
std::optional<SimCommand> arguments(const VerbRule& rule, const QStringList& w) {
    SimCommand c{rule.verb, 0, 0};
    if (w.size() != wordCount(rule.args)) return std::nullopt;
    if (rule.args == Args::None) return c;
    if (rule.args == Args::Ductors) {
        const QStringList modes{QStringLiteral("auto"), QStringLiteral("manual"),
                                QStringLiteral("off")};
        constexpr int kB130[3] = {kDuctorsAuto, kDuctorsManual, kDuctorsOff};
        const auto i = modes.indexOf(w[1]);
        if (i < 0) return std::nullopt;
        c.value = kB130[i];
        return c;
    }
    const std::optional<qint64> v = number(w[1], rule, rule.args == Args::Hex);
    if (!v) return std::nullopt;
    c.value = *v;
    if (rule.args == Args::BitSwitch) {
        if (w[2] != QLatin1String("on") && w[2] != QLatin1String("off")) return std::nullopt;
        c.option = w[2] == QLatin1String("on") ? 1 : 0;
    } else if (rule.args == Args::Trip) {
        c.option = int(tripCauses().indexOf(w[2]));
        if (c.option < 0) return std::nullopt;
    }
    return c;
}

void setBit(Board& board, const QString& word, qint64 bit, bool on) {
    const qint64 mask = qint64(1) << bit;
    const qint64 v = board.value(word);
    board.setValue(word, on ? (v | mask) : (v & ~mask));
}

void applyLinkFault(Faults& f, const SimCommand& c, qint64 received) {
    switch (c.verb) {
    case SimVerb::Silent:
        f.silent = true;
        break;
    case SimVerb::SilentAfter:
        f.silentAfter = received + c.value;
        break;
    case SimVerb::Delay:
        f.replyDelayUs = c.value * 1000;
        break;
    case SimVerb::WrongEcho:
        f.wrongEchoNext = true;
        break;
    default: // the cable is back: every link fault ends
        f.silent = false;
        f.silentAfter = -1;
        f.replyDelayUs = 0;
        f.wrongEchoNext = false;
        f.wrongEchoAt.clear();
        f.loseWriteAt = -1;
        f.muted = false;
        break;
    }
}

} // namespace

QStringList tripCauses() {
    return {QStringLiteral("bad"), QStringLiteral("manual"), QStringLiteral("qc"),
            QStringLiteral("restart")};
}

std::optional<SimCommand> parseSimCommand(const QString& line, QString* error) {
    const QStringList words = line.simplified().toLower().split(u' ', Qt::SkipEmptyParts);
    const QString verb = words.value(0);
    for (const VerbRule& rule : kVerbs) {
        if (verb != QLatin1String(rule.name)) continue;
        if (auto c = arguments(rule, words)) return c;
        if (error)
            *error = QStringLiteral("cannot use \"%1\" (expected %2)")
                         .arg(line.simplified(), QLatin1String(rule.usage));
        return std::nullopt;
    }
    if (error) {
        QStringList names;
        for (const VerbRule& rule : kVerbs)
            names << QLatin1String(rule.name);
        *error = QStringLiteral("unknown command \"%1\" (commands: %2)")
                     .arg(line.simplified(), names.join(QStringLiteral(", ")));
    }
    return std::nullopt;
}

void applySimCommand(Board& board, const SimCommand& c) {
    MachineModel& m = board.machine();
    static constexpr const char* kCodes[] = {"B8176", "B8177", "B8179", "B8178"};
    switch (c.verb) {
    case SimVerb::Run:
    case SimVerb::Stop:
        m.running = c.verb == SimVerb::Run;
        break;
    case SimVerb::Speed:
        m.speed = int(c.value);
        break;
    case SimVerb::BadRate:
        m.blowOffPerCan = double(c.value) / 1000.0;
        break;
    case SimVerb::Alarm:
        setBit(board, QStringLiteral("W98"), c.value, c.option != 0);
        break;
    case SimVerb::Fault:
    case SimVerb::LastFault:
    case SimVerb::CommError:
    case SimVerb::LastCommError:
        board.setValue(QLatin1String(kCodes[int(c.verb) - int(SimVerb::Fault)]), c.value);
        break;
    case SimVerb::Trip:
        ShiftModel::trip(board, int(c.value), c.option);
        break;
    case SimVerb::Ductors:
        board.setValue(QStringLiteral("B130"), c.value);
        break;
    default:
        applyLinkFault(board.faults(), c, board.receivedCount());
        break;
    }
}

} // namespace kalvex::sim

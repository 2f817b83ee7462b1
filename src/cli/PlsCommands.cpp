#include "PlsCommands.h"

#include "link/PlsLink.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace kalvex::cli {

namespace {

struct Bounds {
    QString name;
    int min;
    int max;
};

using Operation = std::function<bool(PlsLink&, const std::vector<int>&)>;

struct SubCommand {
    const char* name;
    std::vector<Bounds> args;
    Operation run;
};

void print(const QString& line) {
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

int refuse(const QString& message) {
    std::fprintf(stderr, "%s\nTry 'kalvex-cli --help'.\n", qPrintable(message));
    return kExitRefused;
}

// Whole numbers within their bounds, checked before the port opens.
bool parseNumbers(const QStringList& words, const std::vector<Bounds>& bounds,
                  std::vector<int>& out) {
    for (size_t i = 0; i < bounds.size(); ++i) {
        bool ok = false;
        const int v = words[qsizetype(i)].toInt(&ok);
        if (!ok || v < bounds[i].min || v > bounds[i].max) {
            refuse(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\".")
                       .arg(bounds[i].name)
                       .arg(bounds[i].min)
                       .arg(bounds[i].max)
                       .arg(words[qsizetype(i)]));
            return false;
        }
        out.push_back(v);
    }
    return true;
}

bool printStatus(PlsLink& pls) {
    const std::pair<const char*, QString (PlsLink::*)()> reads[] = {
        {"Scale factor: %1", &PlsLink::PLSScaleFactor},
        {"Offset: %1", &PlsLink::PLSOffset},
        {"Position: %1", &PlsLink::PLSPos},
        {"Speed: %1 rpm", &PlsLink::PLSRpm}};
    for (const auto& [format, read] : reads) {
        const QString v = (pls.*read)();
        if (pls.link().CommError()) return false; // "-9999" is no value
        print(QString::fromLatin1(format).arg(v));
    }
    return true;
}

bool recall(PlsLink& pls, int chan) {
    if (!pls.RecallChannel(chan)) return false;
    print(QStringLiteral("State: %1").arg(pls.ChannelRecallState()));
    print(QStringLiteral("Position: %1").arg(pls.ChannelRecallPos()));
    return true;
}

bool uploadConfig(PlsLink& pls) {
    const PlsLink::PlsConfigTable table = pls.PLSConfigUpload();
    if (pls.link().CommError()) return false;
    QStringList words;
    for (const int v : table)
        words << QString::number(v);
    print(words.join(u' '));
    return true;
}

bool downloadConfig(PlsLink& pls, const std::vector<int>& v) {
    PlsLink::PlsConfig config{};
    std::copy_n(v.begin() + 1, config.size(), config.begin());
    return pls.PLSConfigDownload(config, v[0]);
}

std::vector<Bounds> configBounds() {
    std::vector<Bounds> b{{QStringLiteral("WORD"), 0, 65535}};
    for (int i = 0; i < PlsLink::kPlsConfigEntries; ++i)
        b.push_back({QStringLiteral("V%1").arg(i), 0, 255});
    return b;
}

const std::vector<SubCommand>& subCommands() {
    using Args = const std::vector<int>&;
    const Bounds chan{QStringLiteral("CHAN"), 0, 255};
    const auto word = [](const char* name) { return Bounds{QLatin1String(name), 0, 65535}; };
    static const std::vector<SubCommand> table{
        {"status", {}, [](PlsLink& l, Args) { return printStatus(l); }},
        {"setpoint",
         {chan, word("ON"), word("OFF")},
         [](PlsLink& l, Args v) { return l.SingleSetpoint(v[0], v[1], v[2], v[3] != 0); }},
        {"pulse",
         {chan, word("ON"), word("OFF"), word("START")},
         [](PlsLink& l, Args v) { return l.PulseTrain(v[0], v[1], v[2], v[3]); }},
        {"clear", {chan}, [](PlsLink& l, Args v) { return l.ClearPLSChan(v[0]); }},
        {"recall", {chan}, [](PlsLink& l, Args v) { return recall(l, v[0]); }},
        {"offset", {word("POSITION")}, [](PlsLink& l, Args v) { return l.SetPLSOffset(v[0]); }},
        {"upload-config", {}, [](PlsLink& l, Args) { return uploadConfig(l); }},
        {"download-config", configBounds(), downloadConfig},
    };
    return table;
}

// Failures without CommError are refusals when a check warned, otherwise the board's.
int outcome(CliSession& session, bool ok) {
    if (session.link().CommError() || !session.link().OnlineMode()) return kExitComm;
    if (ok) return kExitOk;
    if (session.prompt().warned()) return kExitRefused;
    std::fprintf(stderr, "The PLS did not complete the command.\n");
    return kExitComm;
}

} // namespace

int runPls(const CliOptions& options, const QStringList& args) {
    QStringList words = args.isEmpty() ? QStringList{QStringLiteral("status")} : args;
    const QString name = words.takeFirst();
    // "setpoint ... clear" clears the channel first.
    const bool clearFirst = name == QLatin1String("setpoint") && words.size() == 4 &&
                            words.last() == QLatin1String("clear");
    if (clearFirst) words.removeLast();
    for (const SubCommand& sub : subCommands()) {
        if (name != QLatin1String(sub.name)) continue;
        if (size_t(words.size()) != sub.args.size())
            return refuse(QStringLiteral("Wrong arguments: pls %1").arg(args.join(u' ')));
        std::vector<int> values;
        if (!parseNumbers(words, sub.args, values)) return kExitRefused;
        if (name == QLatin1String("setpoint")) values.push_back(clearFirst ? 1 : 0);
        CliSession session(options);
        if (const int rc = session.open()) return rc;
        PlsLink pls(session.link());
        const bool ok = sub.run(pls, values);
        return outcome(session, ok);
    }
    return refuse(QStringLiteral("Unknown pls command: %1").arg(name));
}

} // namespace kalvex::cli

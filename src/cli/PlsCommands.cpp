#include "PlsCommands.h"

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

using Operation = std::function<bool(RSComm&, const std::vector<int>&)>;

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

bool printStatus(RSComm& link) {
    const std::pair<const char*, QString (RSComm::*)()> reads[] = {
        {"Scale factor: %1", &RSComm::PLSScaleFactor},
        {"Offset: %1", &RSComm::PLSOffset},
        {"Position: %1", &RSComm::PLSPos},
        {"Speed: %1 rpm", &RSComm::PLSRpm}};
    for (const auto& [format, read] : reads) {
        const QString v = (link.*read)();
        if (link.CommError()) return false; // "-9999" is no value
        print(QString::fromLatin1(format).arg(v));
    }
    return true;
}

bool recall(RSComm& link, int chan) {
    if (!link.RecallChannel(chan)) return false;
    print(QStringLiteral("State: %1").arg(link.ChannelRecallState()));
    print(QStringLiteral("Position: %1").arg(link.ChannelRecallPos()));
    return true;
}

bool uploadConfig(RSComm& link) {
    const RSComm::PlsConfigTable table = link.PLSConfigUpload();
    if (link.CommError()) return false;
    QStringList words;
    for (const int v : table)
        words << QString::number(v);
    print(words.join(u' '));
    return true;
}

bool downloadConfig(RSComm& link, const std::vector<int>& v) {
    RSComm::PlsConfig config{};
    std::copy_n(v.begin() + 1, config.size(), config.begin());
    return link.PLSConfigDownload(config, v[0]);
}

std::vector<Bounds> configBounds() {
    std::vector<Bounds> b{{QStringLiteral("WORD"), 0, 65535}};
    for (int i = 0; i < RSComm::kPlsConfigEntries; ++i)
        b.push_back({QStringLiteral("V%1").arg(i), 0, 255});
    return b;
}

const std::vector<SubCommand>& subCommands() {
    using Args = const std::vector<int>&;
    const Bounds chan{QStringLiteral("CHAN"), 0, 255};
    const auto word = [](const char* name) { return Bounds{QLatin1String(name), 0, 65535}; };
    static const std::vector<SubCommand> table{
        {"status", {}, [](RSComm& l, Args) { return printStatus(l); }},
        {"setpoint",
         {chan, word("ON"), word("OFF")},
         [](RSComm& l, Args v) { return l.SingleSetpoint(v[0], v[1], v[2], v[3] != 0); }},
        {"pulse",
         {chan, word("ON"), word("OFF"), word("START")},
         [](RSComm& l, Args v) { return l.PulseTrain(v[0], v[1], v[2], v[3]); }},
        {"clear", {chan}, [](RSComm& l, Args v) { return l.ClearPLSChan(v[0]); }},
        {"recall", {chan}, [](RSComm& l, Args v) { return recall(l, v[0]); }},
        {"offset", {word("POSITION")}, [](RSComm& l, Args v) { return l.SetPLSOffset(v[0]); }},
        {"upload-config", {}, [](RSComm& l, Args) { return uploadConfig(l); }},
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
        const bool ok = sub.run(session.link(), values);
        return outcome(session, ok);
    }
    return refuse(QStringLiteral("Unknown pls command: %1").arg(name));
}

} // namespace kalvex::cli

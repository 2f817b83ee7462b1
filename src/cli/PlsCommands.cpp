#include "cli/PlsCommands.h"
#include "cli/JsonOut.h"

#include "link/PlsLink.h"

#include <CLI/CLI.hpp>
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

// Whole numbers within their bounds, checked before the port opens.
bool parseNumbers(const std::vector<std::string>& words, const std::vector<Bounds>& bounds,
                  std::vector<int>& out) {
    for (size_t i = 0; i < bounds.size(); ++i) {
        bool ok = false;
        const QString word = qs(words[i]);
        const int v = word.toInt(&ok);
        if (!ok || v < bounds[i].min || v > bounds[i].max) {
            say(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\".")
                    .arg(bounds[i].name)
                    .arg(bounds[i].min)
                    .arg(bounds[i].max)
                    .arg(word));
            return false;
        }
        out.push_back(v);
    }
    return true;
}

bool printStatus(PlsLink& pls) {
    const std::pair<const char*, PlsLink::Word> reads[] = {
        {"Scale factor: %1", PlsLink::Word::ScaleFactor},
        {"Offset: %1", PlsLink::Word::Offset},
        {"Position: %1", PlsLink::Word::Position},
        {"Speed: %1 rpm", PlsLink::Word::Rpm}};
    for (const auto& [format, word] : reads) {
        const LinkResult v = pls.read(word);
        if (!v) return false;
        printLine(QString::fromLatin1(format).arg(v.value));
    }
    return true;
}

bool recall(PlsLink& pls, int chan) {
    if (!pls.RecallChannel(chan)) return false;
    printLine(QStringLiteral("State: %1").arg(pls.ChannelRecallState()));
    printLine(QStringLiteral("Position: %1").arg(pls.ChannelRecallPos()));
    return true;
}

bool uploadConfig(PlsLink& pls) {
    const std::optional<PlsLink::PlsConfigTable> table = pls.uploadConfig();
    if (!table) return false;
    QStringList words;
    for (const int v : *table)
        words << QString::number(v);
    printLine(words.join(u' '));
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

struct SubCommand {
    const char* name;
    const char* description;
    const char* example;
    std::vector<Bounds> args;
    Operation run;
};

const std::vector<SubCommand>& subCommands() {
    using Args = const std::vector<int>&;
    const Bounds chan{QStringLiteral("CHAN"), 0, 255};
    const auto word = [](const char* name) { return Bounds{QLatin1String(name), 0, 65535}; };
    static const std::vector<SubCommand> table{
        {"status",
         "Print the PLS scale factor, offset, position and speed (the default).",
         "pls status",
         {},
         [](PlsLink& l, Args) { return printStatus(l); }},
        {"setpoint",
         "Program one on/off setpoint pair (in divisions) on a PLS channel; \"clear\" clears "
         "the channel first.",
         "pls setpoint 3 100 200 clear",
         {chan, word("ON"), word("OFF")},
         [](PlsLink& l, Args v) { return l.SingleSetpoint(v[0], v[1], v[2], v[3] != 0); }},
        {"pulse",
         "Program a pulse train of ON and OFF divisions from START.",
         "pls pulse 4 10 20 5",
         {chan, word("ON"), word("OFF"), word("START")},
         [](PlsLink& l, Args v) { return l.PulseTrain(v[0], v[1], v[2], v[3]); }},
        {"clear",
         "Clear a PLS channel.",
         "pls clear 6",
         {chan},
         [](PlsLink& l, Args v) { return l.ClearPLSChan(v[0]); }},
        {"recall",
         "Print a PLS channel's recalled state and position.",
         "pls recall 2",
         {chan},
         [](PlsLink& l, Args v) { return recall(l, v[0]); }},
        {"offset",
         "Set the PLS offset so that the position now is POSITION.",
         "pls offset 0",
         {word("POSITION")},
         [](PlsLink& l, Args v) { return l.SetPLSOffset(v[0]); }},
        {"upload-config",
         "Print the 19 PLS configuration bytes.",
         "pls upload-config",
         {},
         [](PlsLink& l, Args) { return uploadConfig(l); }},
        {"download-config", "Send the 24 PLS configuration entries and the word.",
         "pls download-config 4660 0 10 20 ... 230", configBounds(), downloadConfig},
    };
    return table;
}

// Failures without CommError are refusals when a check warned, otherwise the board's.
int outcome(CliSession& session, bool ok) {
    if (session.boardLost() || !session.link().OnlineMode()) return kExitComm;
    if (ok) return kExitOk;
    if (session.prompt().warned()) return kExitRefused;
    say(QStringLiteral("the PLS did not complete the command."));
    return kExitComm;
}

int runSub(const CliOptions& options, const SubCommand& sub, const std::vector<std::string>& words,
           bool clearFirst) {
    std::vector<int> values;
    if (!parseNumbers(words, sub.args, values)) return kExitRefused;
    if (QLatin1String(sub.name) == QLatin1String("setpoint")) values.push_back(clearFirst ? 1 : 0);
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    PlsLink pls(session.link());
    return outcome(session, sub.run(pls, values));
}

} // namespace

void addPlsCommands(CLI::App& app, CliOptions& o) {
    CLI::App* pls = addCommand(app, "pls",
                               "PLS channel programming: status (the default), setpoint, pulse, "
                               "clear, recall, offset, upload-config, download-config.",
                               "kalvex-cli --device /dev/ttyUSB0 pls setpoint 3 100 200");
    pls->require_subcommand(0, 1);
    const SubCommand& status = subCommands().front();
    // A named PLS command sets its own action first; plain "pls" is "pls status".
    pls->callback([&o, pls, &status] {
        if (pls->get_subcommands().empty())
            o.action = [&o, &status] { return runSub(o, status, {}, false); };
    });
    for (const SubCommand& sub : subCommands()) {
        CLI::App* c = addCommand(*pls, sub.name, sub.description,
                                 std::string("kalvex-cli --device /dev/ttyUSB0 ") + sub.example);
        auto words = std::make_shared<std::vector<std::string>>(sub.args.size());
        for (size_t i = 0; i < sub.args.size(); ++i)
            c->add_option(sub.args[i].name.toStdString(), (*words)[i])->required();
        auto clear = std::make_shared<std::string>();
        if (QLatin1String(sub.name) == QLatin1String("setpoint"))
            c->add_option("clear", *clear, "clear the channel first")
                ->check(CLI::IsMember({"clear"}));
        onCommand(*c, o,
                  [&o, &sub, words, clear] { return runSub(o, sub, *words, !clear->empty()); });
    }
}

} // namespace kalvex::cli

#pragma once
#include "sim/SimCommand.h"

#include <optional>
#include <vector>

namespace kalvex::sim {

// One line of a timeline file: "at 5s alarm 3 on" runs the command 5 s after the start.
struct TimelineStep {
    qint64 atMs = 0;
    SimCommand command;
    QString text; // the command as written
    int line = 0;
};

// Lines "at TIME COMMAND", TIME a number with ms, s or m (500ms, 1.5s, 2m); '#' starts a
// comment. The steps come in the order of their times, lines of equal time in file order.
// Empty, with "line N: why" in `error`, when any line is bad: then nothing may run.
std::optional<std::vector<TimelineStep>> parseTimeline(const QString& text, QString* error);
std::optional<std::vector<TimelineStep>> loadTimeline(const QString& path, QString* error);

} // namespace kalvex::sim

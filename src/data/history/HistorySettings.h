#pragma once
#include <QString>

namespace kalvex {

// The recorder's settings, kept in history.ini beside the database.
struct HistorySettings {
    bool enabled = true;
    // Reads the five counters every 10 s while another page than the Main Display is shown.
    bool backgroundSampling = false;
    int keepDays = 90;
    qint64 capMb = 2048;

    static HistorySettings load(const QString& folder);
    // False when the file cannot be written; the settings then hold for this run only.
    bool save(const QString& folder) const;
};

} // namespace kalvex

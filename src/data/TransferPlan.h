#pragma once
#include <QString>

#include <vector>

namespace kalvex {

// Process codes of the data transfers: uploads below 10, downloads at upload code + 10.
enum ProcessCode {
    kUploadSetup = 0,
    kUploadShift = 1,
    kUploadLabels = 2,
    kUploadAll = 4,
    kDownloadSetup = 10,
    kDownloadShift = 11,
    kDownloadLabels = 12,
    kDownloadAll = 14,
};

// What one transfer moves and how its progress window starts.
struct TransferPlan {
    int code = 0;
    bool upload = true;
    QString text;
    int maximum = 0;
    std::vector<int> items;
    // Set-up Data moves item 0 first and then raises the maximum by one.
    bool setupFirst = false;
};

bool isProcessCode(int code);
QString progressText(int code);
// The plan for a process code; the label range is used by the label codes only.
TransferPlan transferPlan(int code, int labelFirst = 0, int labelLast = 0);

} // namespace kalvex

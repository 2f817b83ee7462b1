#include "data/TransferPlan.h"

#include "data/TagMap.h"

namespace kalvex {

bool isProcessCode(int code) {
    switch (code) {
    case kUploadSetup:
    case kUploadShift:
    case kUploadLabels:
    case kUploadAll:
    case kDownloadSetup:
    case kDownloadShift:
    case kDownloadLabels:
    case kDownloadAll:
        return true;
    default:
        return false;
    }
}

QString progressText(int code) {
    switch (code) {
    case kUploadSetup:
        return QStringLiteral("Uploading Set-up Data, Please Standby...");
    case kUploadShift:
        return QStringLiteral("Uploading Shift Data, Please Standby...");
    case kUploadLabels:
        return QStringLiteral("Uploading Label Data, Please Standby...");
    case kUploadAll:
        return QStringLiteral("Uploading, Please Standby...");
    case kDownloadSetup:
        return QStringLiteral("Downloading Set-Up Data, Please Standby...");
    case kDownloadShift:
        return QStringLiteral("Downloading Shift Data, Please Standby...");
    case kDownloadLabels:
        return QStringLiteral("Downloading Label Data, Please Standby...");
    case kDownloadAll:
        return QStringLiteral("Downloading, Please Standby...");
    default:
        return QStringLiteral("Please Standby...");
    }
}

TransferPlan transferPlan(int code, int labelFirst, int labelLast) {
    TransferPlan p;
    p.code = code;
    p.upload = code < 10;
    p.text = progressText(code);
    switch (code % 10) {
    case kUploadSetup:
        p.items = setupDataItems();
        p.setupFirst = true;
        p.maximum = int(p.items.size()) - 1;
        break;
    case kUploadShift:
        p.items = shiftDataItems();
        p.maximum = int(p.items.size());
        break;
    case kUploadLabels:
        p.items = labelDataItems(labelFirst, labelLast);
        p.maximum = int(p.items.size()) + 1;
        break;
    case kUploadAll:
        p.items = allDataItems();
        p.maximum = int(p.items.size());
        break;
    default:
        break;
    }
    if (!isProcessCode(code)) p.items.clear();
    return p;
}

} // namespace kalvex

#pragma once
#include "cli/CliSession.h"
#include "data/LabelRange.h"
#include "data/TransferPlan.h"

#include <QString>

namespace kalvex::cli {

// diff FILE.sdt [--set SET] [--labels FIRST-LAST]   (file against board)
// diff A.sdt B.sdt [--set SET] [--labels FIRST-LAST] (file against file, no port opened)
struct DiffRequest {
    CliOptions options;
    QString fileA;
    QString fileB; // empty: compare with the board
    int setCode = kUploadAll;
    LabelRange labels;
};

// One line per differing item on stdout, "index address name value-a value-b" separated by
// tabs; a summary on stderr. 0 equal, 4 different, 1/2/3 as every command.
inline constexpr int kExitDiffer = 4;
int runDiff(const DiffRequest& request);

// download SET FILE.sdt --only-changed [--verify] [--labels FIRST-LAST]
struct DownloadChangedRequest {
    CliOptions options;
    int setCode = kUploadAll;
    QString file;
    LabelRange labels;
    bool verify = false;
};

// Reads the set, writes only the differing items in tag-map order; with verify reads them back
// after the last write. A verification mismatch exits 2 and names each item.
int runDownloadOnlyChanged(const DownloadChangedRequest& request);

} // namespace kalvex::cli

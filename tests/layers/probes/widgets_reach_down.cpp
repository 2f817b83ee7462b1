// Every layer below the widgets is in reach: the probes that fail, fail for their include alone.
#include "data/AppState.h"
#include "link/RSComm.h"
#include "report/ReportLayout.h"
#include "widgets/pages/UpDown.h"

int widgetsReachDown() {
    return kalvex::RSComm::kNoReply;
}

#include "report/ReportLayout.h"

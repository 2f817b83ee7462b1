#include "widgets/pages/UpDown.h"

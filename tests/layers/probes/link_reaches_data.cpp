#include "data/AppState.h"

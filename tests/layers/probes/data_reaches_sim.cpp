#include "sim/Board.h"

#include "sim/SetupDefaults.h"

#include "data/TagMap.h"
#include "sim/Board.h"

namespace kalvex::sim {

void loadSetupDefaults(Board& board) {
    const SetupData defaults = defaultDataSet(QString());
    const std::vector<int> shift = shiftDataItems();
    for (int i = 0; i <= kItemCount; ++i) {
        if (i >= shift.front() && i <= shift.back()) continue;
        board.setValue(defaults.Address[size_t(i)], defaults.Value[size_t(i)]);
    }
}

} // namespace kalvex::sim

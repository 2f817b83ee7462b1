#pragma once
#include "data/board/BoardSettings.h"
#include "data/board/FaultCodes.h"

#include <QString>

#include <array>
#include <utility>
#include <vector>

namespace kalvex {

// The Target Board Interface: its tabs, captions and texts, and which setting rows a board
// variant shows and reads. Its board addresses and read order are the shared board tables
// (faultRegisters, identAddress, boardSettings).

// Each tab's caption with its access key, and its frame's name.
const std::vector<std::pair<const char*, const char*>>& targetBoardTabs();

// The caption of each fault row before anything is read, in register order.
constexpr std::array<const char*, kFaultRegisterCount> kFaultRowCaptions{
    {"Current Fault:", "Last Fault:", "CO-CPU Slot:", "Corrective Action:", "Current Comm Error:",
     "Last Comm Error:"}};
// The text boxes under the fault rows (the CO-CPU line has none); offline all say kNoBoardText.
constexpr std::array<int, 5> kFaultTextBoxes{{0, 1, 3, 4, 5}};
inline const QString kNoBoardText = QStringLiteral("Cannot Communicate with Target Board.");
inline const QString kCoCpuSlotText = QStringLiteral("CO-CPU Slot: ");

// The captions of the ident rows, in the order of DiskIdent's fields; the board's ident shows
// the first three.
constexpr int kIdentCaptionCount = 5;
constexpr int kBoardIdentRows = 3;
constexpr std::array<const char*, kIdentCaptionCount> kIdentCaptions{
    {"Name:", "Revision:", "Checksum:", "Target Board:", "Rev Date:"}};

extern const char* const kNetworkAddressNote;
extern const char* const kClockNote;

// A setting row is shown unless the board lacks it (network address 2 is the Q7610's), enabled
// where the board has it (the clock rows of K2170 and Q7610), and read where both hold.
bool settingShown(const BoardVariant& variant, int index);
bool settingEnabled(const BoardVariant& variant, int index);
inline bool settingPolled(const BoardVariant& variant, int index) {
    return settingShown(variant, index) && settingEnabled(variant, index);
}

} // namespace kalvex

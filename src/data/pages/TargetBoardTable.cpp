#include "data/pages/TargetBoardTable.h"

namespace kalvex {

const std::vector<std::pair<const char*, const char*>>& targetBoardTabs() {
    static const std::vector<std::pair<const char*, const char*>> tabs{
        {"&Fault Codes / Status", "Fault Codes / Status"},
        {"&Program Ident/Revision", "Program Ident/Revision"},
        {"&Set Network Address", "Set Network Address"},
        {"S&et Time && Date", "Set Time & Date"}};
    return tabs;
}

const char* const kNetworkAddressNote =
    "Each K2000 board connected to the K2000 Network must be assigned a unique network address "
    "between 1 and 32.\n\nSystem function sfunc19(); configures the K5800 serial communication "
    "for the P9100 processor.";
const char* const kClockNote = "Only the Q7610 Display Module and the K2170 Communications "
                               "CO-CPU board are equipped with real time clocks.";

bool settingShown(const BoardVariant& variant, int index) {
    return index != 1 || variant.secondAddress;
}

bool settingEnabled(const BoardVariant& variant, int index) {
    return index < kFirstClockSetting || variant.clock;
}

} // namespace kalvex

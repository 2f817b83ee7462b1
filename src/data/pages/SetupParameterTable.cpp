#include "data/pages/SetupParameterTable.h"

namespace kalvex {

const std::array<SetupParameter, kSetupParameterCount>& setupParameters() {
    static const std::array<SetupParameter, kSetupParameterCount> table{{
        {0, "W1092", "&Canfeed Enable Low Speed:", "1. Canfeed Enable Low Speed: ", 0, 1999},
        {0, "W1094", "C&anfeed Enable High Speed:", "2. Canfeed Enable High Speed: ", 0, 1999},
        {0, "W1096", "&O'Varnish Roll Speed Calibrate: (Roll RPM at 10VDC) ",
         "3. O'Varnish Roll Speed Calibrate: ", 0, 500},
        {1, "W690",
         "Maximum &Cycle Duration (0.1 cans):", "1. Maximum Cycle Duration (0.1 cans):", 140, 650},
        {1, "B692", "M&aximum ON Duration (0.1 cans):", "2. Maximum ON Duration (0.1 cans):", 0,
         200},
        {1, "B1013",
         "&Response Time Compensation (msec):", "3. Response Time Compensation (msec):", 0, 65},
        {1, "B1014",
         "Color &Gain % (CG-100% per 2000CPM):", "4. Color Gain (CG-100% per 2000cpm):", 50, 150},
        {1, "B694", "", "5. Ductor Feedback Enable:", 0, 255},
        {2, "W1004", "&Number of Pins to Pin Chain Blow-off Port:",
         "1. Number of Pins to Pin Chain Blow-off Port:", 0, 999},
        {2, "B1003", "N&umber of Cans to Blow-off for Each Mis-load:",
         "2. Number of Cans to Blow-off for Each Misload:", 1, 5},
        {2, "B1000", "Numb&er of Cans to Blow-off at Infeed Open:",
         "3. Number of Cans to Blow-off at Infeed Open:", 0, 255},
        {2, "B1001", "Numbe&r of Cans to Blow-off from Print at Restart:",
         "4. Number of Cans to Blow-off from Print at Restart:", 0, 255},
        {2, "B1002", "Number of Cans to Blow-off from Varn&ish at Restart:",
         "5. Number of Cans to Blow-off from Varnish at Restart:", 0, 255},
        {2, "B1010",
         "Q.C. Can Blow-off Port Shift &Offset:", "6. Q.C. Can Blow-off Port Shift Offset:", 1, 24},
        {2, "B1006", "Bad &Can Blow-off Solenoid:",
         "7. Bad Can Blow-off Solenoid ON Response Time (msec):", 5, 50},
        {2, "B1007", "Bad &Can Blow-off Solenoid:",
         "8. Bad Can Blow-off Solenoid Off Response Time (msec):", 5, 50},
        {2, "B1008", "Q.C. Blow-off So&lenoid:",
         "9. Q.C. Can Blow-off Solenoid ON Response Time (msec):", 5, 50},
        {2, "B1009", "Q.C. Blow-off So&lenoid:",
         "10. Q.C. Can Blow-off Solenoid Off Response Time (msec):", 5, 50},
        {3, "W830", "Bad Can B&low-off \"ON\" Position (degrees):",
         "1. Bad Can Blow-off ON Position (degrees):", 0, 359},
        {3, "W832", "Q.&C. Blow-off \"ON\" Position (degrees):",
         "2. Q.C. Can Blow-off ON Position (degrees):", 0, 359},
        {3, "W834", "Can &Gate Timing \"ON\" Position (degrees):",
         "3. Can Gate Timing ON Position (degrees):", 0, 359},
    }};
    return table;
}

IndexRange setupTabRange(int tab) {
    static constexpr IndexRange ranges[] = {{0, 2}, {3, 7}, {8, 17}, {18, 20}};
    return ranges[tab >= 0 && tab < 4 ? tab : 0];
}

} // namespace kalvex

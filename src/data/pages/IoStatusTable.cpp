#include "data/pages/IoStatusTable.h"

namespace kalvex {

namespace {

const char* const kAddresses[kIoReads] = {"F18",  "F17",  "W162", "W164", "B166", "B167",
                                          "W180", "W112", "W184", "W186", "W188", "W170",
                                          "W100", "W110", "W120", "W130"};

const char* const kSpare = "spare";
const char* const kBitTips[kIoBitFrames][kIoBits] = {
    {"'A' Trip Cam Timing", "'B' Trip Cam Timing", "'C' Trip Cam Timing", "Cam Reset Timing",
     "Bad Can Blowoff Timing", "Q.C. Blowoff Timing", "Can Gate Timing", "1 Puls Per Can Timing",
     kSpare, kSpare, kSpare, kSpare, kSpare, kSpare, kSpare, kSpare},
    {"Mandrel No.1 Mark Sensor", "Can On Mandrel Sensor", "Test Mode (from PLC)",
     "End of Shift (from PLC)", "Canfeed Enable (from PLC)", "Main Drive ON (from PLC)",
     "Alarm Reset (from PLC)", "Manual blowoff (from PLC)", "Select-A-Can (1)", "Select-A-Can (2)",
     "Select-A-Can (4)", "Select-A-Can (8)", "Select-A-Can (10)", "Select-A-Can (20)",
     "Can Check Blowoff", "Set-up Enable"},
    {"PC Clock (to PLC)", "Blowoff Data Clock (to PLC)", "Blowoff Data Bit 0 (to PLC)",
     "Blowoff Data Bit 1 (to PLC)", "Blowoff Data Bit 2 (to PLC)", "Alarm Data Bit 0 (to PLC)",
     "Alarm Data Bit 1 (to PLC)", "Canfeed Enable Speed (to PLC)", "Mandrel No.1 (to PLC)",
     "Ductors Feedback Fault (to PLC)", kSpare, kSpare, kSpare, "Can Gate Solenoid",
     "Bad Can Blowoff Solenoid", "Q.C. Can Blowoff Solenoid"},
    {"'A' Trip Cam ON Solenoid", "'A' Trip Cam off Solenoid", "'B' Trip Cam ON Solenoid",
     "'B' Trip Cam off Solenoid", "'C' Trip Cam ON Solenoid", "'C' Trip Cam off Solenoid", kSpare,
     kSpare, "Ductor Solenoid #1", "Ductor Solenoid #2", "Ductor Solenoid #3", "Ductor Solenoid #4",
     "Ductor Solenoid #5", "Ductor Solenoid #6", "Ductor Solenoid #7", "Ductor Solenoid #8"},
    {"Ductor Control-Auto (from PLC)", "Ductor Control-Manual (from PLC)",
     "Ductors Auto ON (from PLC)", kSpare, kSpare, kSpare, kSpare, kSpare,
     "Ductor Feedback Sensor #1", "Ductor Feedback Sensor #2", "Ductor Feedback Sensor #3",
     "Ductor Feedback Sensor #4", "Ductor Feedback Sensor #5", "Ductor Feedback Sensor #6",
     "Ductor Feedback Sensor #7", "Ductor Feedback Sensor #8"},
};

// The byte a bit lives in: the word's own for bits 0-7, the next byte for 8-15.
int bitByte(int frame, int bit) {
    const int word = frame == 0 ? 170 : 100 + 10 * (frame - 1);
    return word + bit / 8;
}

} // namespace

QString ioAddress(int read) {
    return read >= 0 && read < kIoReads ? QString::fromLatin1(kAddresses[read]) : QString();
}

// The resolver RPM row shows W112, the machine's cans per minute, as the board's own tools do;
// its tool tip names the word the value really comes from.
const std::array<IoValueRow, kIoValueRows>& ioValueRows() {
    static const std::array<IoValueRow, kIoValueRows> rows{{
        {"IN0:", "Set Passcode", "F18"},
        {"IN1:", "Can/No Can Sensor", "F17"},
        {"AIN0:", "Analog Input 0", "W162"},
        {"AIN1:", "Analog Input 1", "W164"},
        {"AOUT0:", "Analog Output 0", "B166"},
        {"AOUT1:", "Analog Output 1", "B167"},
        {"POS:", "Reslover Position", "W180"},
        {"RPM:", "Resolver RPM", "W112"},
        {"Period:", "Resolver Period", "W184"},
        {"SF:", "Resolver Scale Factor", "W186"},
        {"Offset:", "Resolver Offset", "W188"},
    }};
    return rows;
}

QString ioFrameTitle(int frame) {
    return frame == 0 ? QStringLiteral("Timing") : QStringLiteral("Slot0-%1").arg(frame - 1);
}

QString ioBitCaption(int frame, int bit) {
    const QString octal = QString::number(bit, 8);
    if (frame == 0) return QStringLiteral("CH%1:").arg(octal, 2, QLatin1Char('0'));
    // One octal digit is set off by four spaces, two by two.
    const QString gap = bit < 8 ? QStringLiteral("    ") : QStringLiteral("  ");
    return QStringLiteral("(B%1.%2)%3%4:").arg(bitByte(frame, bit)).arg(bit % 8).arg(gap, octal);
}

QString ioBitTip(int frame, int bit) {
    if (frame < 0 || frame >= kIoBitFrames || bit < 0 || bit >= kIoBits) return {};
    return QString::fromLatin1(kBitTips[frame][bit]);
}

QString ioBitStateTip(int frame, int bit) {
    return frame == 0 ? QStringLiteral("B%1.%2").arg(bitByte(frame, bit)).arg(bit % 8) : QString();
}

QString ioStateText(IoState s) {
    switch (s) {
    case IoState::On:
        return QStringLiteral("ON");
    case IoState::Off:
        return QStringLiteral("off");
    case IoState::Unknown:
        break;
    }
    return QStringLiteral("-");
}

std::array<int, 3> ioStateColour(IoState s) {
    if (s == IoState::Off) return {192, 0, 0};
    return {0, 0, 255};
}

} // namespace kalvex

#pragma once
#include <QString>

#include <array>

namespace kalvex {

// The I/O Status page: 16 reads a pass. Reads 0-1 are inputs shown ON/off, 2-10 values shown
// as read, 11-15 words whose 16 bits fill one frame each (timing channels, then slots 0-3).
constexpr int kIoReads = 16;
constexpr int kIoValueRows = 11;
constexpr int kIoFirstWord = 11;
constexpr int kIoBitFrames = 5;
constexpr int kIoBits = 16;

QString ioAddress(int read);

// A row of the board's own frame: caption, what the name's tool tip says, and the state's tool
// tip (the address the value comes from).
struct IoValueRow {
    const char* caption;
    const char* nameTip;
    const char* stateTip;
};
const std::array<IoValueRow, kIoValueRows>& ioValueRows();

// Bit frames, 0 "Timing", 1-4 "Slot0-0".."Slot0-3".
QString ioFrameTitle(int frame);
// "(B100.0)    0:" ... "(B101.7)  17:" for a slot; "CH00:" ... "CH17:" for the timing frame.
QString ioBitCaption(int frame, int bit);
QString ioBitTip(int frame, int bit);
// The timing channels' state labels name their bit ("B170.0" ... "B171.7"); the slots' none.
QString ioBitStateTip(int frame, int bit);

// How a state shows: "ON" for a set bit or an input of exactly 1, "off" otherwise, "-" before
// the first value and offline.
enum class IoState { Unknown, On, Off };
QString ioStateText(IoState s);
// Red, green, blue of the state's text.
std::array<int, 3> ioStateColour(IoState s);
inline IoState ioInputState(qint64 value) {
    return value == 1 ? IoState::On : IoState::Off;
}
inline IoState ioBitState(qint64 word, int bit) {
    return (word >> bit) & 1 ? IoState::On : IoState::Off;
}

} // namespace kalvex

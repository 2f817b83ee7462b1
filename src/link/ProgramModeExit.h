#pragma once
#include <QString>

namespace kalvex {

class Clock;
class SerialPort;

struct ProgramModeExit {
    bool left = false; // the board answered as a board out of program mode
    int bytesSent = 0;
};

// Takes a board that a download left in program mode, perhaps inside a record, back out of it
// without the link's retries: 0xFF one at a time on the open port. Inside a record each is taken
// as data until the record is full and its checksum comes back; at a record's start the board
// leaves program mode with 0x55. Two 0xFF in a row answered 0x55 can only come from a board out
// of program mode (a checksum follows at least three bytes). `mostBytes` covers the longest
// record; a silent board costs `replyWaitMs` per byte.
ProgramModeExit leaveProgramMode(SerialPort& port, int mostBytes = 262, int replyWaitMs = 60);

} // namespace kalvex

#include "link/ProgramModeExit.h"

#include "link/Protocol.h"
#include "link/SerialPort.h"

namespace kalvex {

ProgramModeExit leaveProgramMode(SerialPort& port, int mostBytes, int replyWaitMs) {
    ProgramModeExit result;
    if (!port.isOpen()) return result;
    port.discardInput();
    int acksInRow = 0;
    while (result.bytesSent < mostBytes && acksInRow < 2) {
        port.send(quint8(kAttention));
        ++result.bytesSent;
        const bool replied = port.bytesWaiting() > 0 || port.waitForInput(replyWaitMs);
        const int reply = replied ? port.take() : -1;
        acksInRow = reply == kAcknowledge ? acksInRow + 1 : 0;
    }
    result.left = acksInRow == 2;
    return result;
}

} // namespace kalvex

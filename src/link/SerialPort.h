#pragma once
#include <QString>
#include <QtGlobal>

namespace kalvex {

struct PortSettings {
    int portNumber = 1;
    int baud = 9600;
    // A device found by name (a USB adapter, a pseudo-terminal): used instead of the number.
    QString device;
};

struct PortOpenError {
    int number = 0;
    QString source;
    QString description;
};

// The serial line the link talks through: one byte out, one byte in, lock-step.
class SerialPort {
  public:
    virtual ~SerialPort() = default;
    virtual bool open(const PortSettings& settings, PortOpenError* error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int bytesWaiting() = 0;
    virtual void discardInput() = 0;
    virtual void send(quint8 byte) = 0;
    // The next waiting byte, or -1 when none is waiting.
    virtual int take() = 0;
    // Blocks until a byte is waiting or the time-out passes; true when a byte is waiting.
    virtual bool waitForInput(int timeoutMs) = 0;
    // Name of the device last opened, for messages and the About box.
    virtual QString deviceName() const = 0;
    // False when the device was named (a path, the simulator): RSPort.cfg's port number is
    // then irrelevant and the file is neither created nor written.
    virtual bool usesPortNumber() const { return true; }
    virtual bool lowLatency() const { return false; }
};

} // namespace kalvex

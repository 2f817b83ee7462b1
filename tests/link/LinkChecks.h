#pragma once
#include "link/SerialPort.h"
#include "support/RecordingPrompt.h"

#include <ostream>
#include <tuple>
#include <vector>

namespace kalvex::test {

inline bool operator==(const Box& a, const Box& b) {
    return std::tie(a.title, a.text, a.buttons, a.icon) ==
           std::tie(b.title, b.text, b.buttons, b.icon);
}
inline void PrintTo(const Box& b, std::ostream* os) {
    *os << '[' << b.title.toStdString() << "] " << b.text.toStdString() << " (buttons "
        << int(b.buttons) << ", icon " << int(b.icon) << ')';
}
using Boxes = std::vector<Box>;

inline Box commWarning(const QString& text) {
    return {"WARNING - Communication Error!", text, MsgButtons::RetryCancel, MsgIcon::Critical};
}
inline const QString kNoAnswer = "Cannot Communicate with Target Board.\rVerify RS-232 Cable is "
                                 "Connected Between\rCOMM Port and PROG Port.";

// Another port as the link sees it, keeping each wait's time-out.
class PortLog final : public SerialPort {
  public:
    explicit PortLog(SerialPort& port) : m_port(port) {}
    bool open(const PortSettings& s, PortOpenError* e) override { return m_port.open(s, e); }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    int bytesWaiting() override { return m_port.bytesWaiting(); }
    void discardInput() override { m_port.discardInput(); }
    void send(quint8 byte) override { m_port.send(byte); }
    int take() override { return m_port.take(); }
    bool waitForInput(int timeoutMs) override {
        waits.push_back(timeoutMs);
        return m_port.waitForInput(timeoutMs);
    }
    QString deviceName() const override { return m_port.deviceName(); }
    bool usesPortNumber() const override { return m_port.usesPortNumber(); }
    bool lowLatency() const override { return m_port.lowLatency(); }

    std::vector<int> waits;

  private:
    SerialPort& m_port;
};

} // namespace kalvex::test

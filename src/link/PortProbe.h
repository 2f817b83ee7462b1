#pragma once
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace kalvex {

// A serial port of this machine as Find Board and `kalvex-cli ports` list it.
struct PortCandidate {
    QString device;      // what opening uses: /dev/ttyS0, /dev/ttyUSB0, COM3
    QString description; // "USB: FT232R USB UART (FTDI) 0403:6001", "built-in serial port"
    int portNumber = 0;  // the RSPort.cfg number that names the same device; 0: none
    bool usb = false;
};

// The ports QSerialPortInfo enumerates, USB adapters by their names. KALVEX_PORTS (device
// paths separated by ':' or ';') replaces the list: pseudo-terminals are never enumerated.
std::vector<PortCandidate> listSerialPorts();
PortCandidate candidateFor(const QString& device);
// "/dev/ttyUSB0  USB: FT232R USB UART (FTDI)" or with its port number "/dev/ttyS2 (port 3)".
QString candidateLine(const PortCandidate& c);

enum class ProbeOutcome { Answered, Silent, WrongReply, CannotOpen, Skipped, Network };

struct ProbeResult {
    PortCandidate port;
    int baud = 0;
    ProbeOutcome outcome = ProbeOutcome::Silent;
    QString detail; // why it could not be opened, or the byte that came back
};
QString probeResultText(const ProbeResult& r);

constexpr int kProbeTimeoutMs = 300;
constexpr int kProbeSpeeds[] = {9600, 19200};

// One attention exchange: opens the device at `baud`, drops what was waiting, sends 0xFF,
// waits for the acknowledge and closes the port again. Nothing else is sent.
ProbeResult probePort(const PortCandidate& port, int baud, int timeoutMs = kProbeTimeoutMs);

// Probes each port at each speed, one exchange a step, until the board answers there (the other
// ports are still probed); `skip` names a device not to touch (the one the link holds open). A
// port that cannot be opened is not tried at its other speed. Device servers on the network are
// never probed: connecting may take another user's session.
class BoardSearch {
  public:
    BoardSearch(std::vector<PortCandidate> ports, QString skip, int timeoutMs = kProbeTimeoutMs);
    bool done() const { return m_port >= m_ports.size(); }
    // One probe, or the skip of the link's own port.
    ProbeResult step();
    // The first port and speed that answered.
    const std::optional<ProbeResult>& found() const { return m_found; }

  private:
    std::vector<PortCandidate> m_ports;
    QString m_skip;
    int m_timeoutMs;
    size_t m_port = 0;
    size_t m_speed = 0;
    std::optional<ProbeResult> m_found;
};

std::optional<ProbeResult> findBoard(const std::vector<PortCandidate>& ports, const QString& skip,
                                     const std::function<void(const ProbeResult&)>& progress,
                                     int timeoutMs = kProbeTimeoutMs);

} // namespace kalvex

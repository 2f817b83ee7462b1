#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

namespace kalvex::telnet {

// Telnet (RFC 854) bytes and the serial-port control option of RFC 2217.
inline constexpr quint8 kIac = 0xFF, kDont = 0xFE, kDo = 0xFD, kWont = 0xFC, kWill = 0xFB,
                        kSb = 0xFA, kSe = 0xF0;
inline constexpr quint8 kBinary = 0, kSuppressGoAhead = 3, kComPortOption = 44;
// Client commands; the server answers each with the same number plus 100.
enum class ComPort : quint8 {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    PurgeData = 12,
};
inline constexpr quint8 kServerReply = 100;

// Data for the wire: every 0xFF doubled, so the board's attention byte is not a command.
QByteArray escape(QByteArrayView data);
// IAC SB COM-PORT-OPTION command value IAC SE, the value escaped.
QByteArray comPortCommand(ComPort command, QByteArrayView value);
// What a client says first: it will send port commands, and both sides send 8-bit data
// without go-aheads.
QByteArray openingOffers();
// The board's line: `baud`, 8 data bits, no parity, 1 stop bit, no flow control, both buffers
// purged. Six commands, each answered by the server.
QByteArray portSetup(int baud);
inline constexpr int kPortSetupCommands = 6;

// Splits what a server sends into data and Telnet commands, across reads. Options the client
// did not offer are refused; its own offers are not answered again, so no loop can start.
class Decoder {
  public:
    // Appends the data bytes of `in` to `data` and any answer owed to the server to `reply`.
    void feed(QByteArrayView in, QByteArray& data, QByteArray& reply);

    bool comPortAccepted() const { return m_comPortAccepted; }
    bool comPortRefused() const { return m_comPortRefused; }
    int serverReplies() const { return m_replies; }
    // The speed the server reported it set, once it did.
    std::optional<quint32> baud() const { return m_baud; }

  private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    void option(quint8 verb, quint8 code, QByteArray& reply);
    void subnegotiation();

    State m_state = State::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    bool m_comPortAccepted = false;
    bool m_comPortRefused = false;
    int m_replies = 0;
    std::optional<quint32> m_baud;
};

} // namespace kalvex::telnet

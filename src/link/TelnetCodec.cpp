#include "link/TelnetCodec.h"

#include <initializer_list>

namespace kalvex::telnet {

namespace {

QByteArray bytes(std::initializer_list<quint8> list) {
    QByteArray out;
    for (const quint8 b : list)
        out += char(b);
    return out;
}

QByteArray optionBytes(quint8 verb, quint8 code) {
    return bytes({kIac, verb, code});
}

} // namespace

QByteArray escape(QByteArrayView data) {
    QByteArray out;
    out.reserve(data.size());
    for (const char c : data) {
        out += c;
        if (quint8(c) == kIac) out += c;
    }
    return out;
}

QByteArray comPortCommand(ComPort command, QByteArrayView value) {
    return bytes({kIac, kSb, kComPortOption, quint8(command)}) + escape(value) + bytes({kIac, kSe});
}

QByteArray openingOffers() {
    return optionBytes(kWill, kComPortOption) + optionBytes(kWill, kBinary) +
           optionBytes(kDo, kBinary) + optionBytes(kWill, kSuppressGoAhead) +
           optionBytes(kDo, kSuppressGoAhead);
}

QByteArray portSetup(int baud) {
    const auto b = quint32(baud);
    const char speed[4] = {char(b >> 24), char(b >> 16), char(b >> 8), char(b)};
    return comPortCommand(ComPort::SetBaudRate, QByteArrayView(speed, 4)) +
           comPortCommand(ComPort::SetDataSize, "\x08") +
           comPortCommand(ComPort::SetParity, "\x01") +   // none
           comPortCommand(ComPort::SetStopSize, "\x01") + // one
           comPortCommand(ComPort::SetControl, "\x01") +  // no flow control
           comPortCommand(ComPort::PurgeData, "\x03");    // both buffers
}

void Decoder::feed(QByteArrayView in, QByteArray& data, QByteArray& reply) {
    for (const char ch : in) {
        const auto c = quint8(ch);
        switch (m_state) {
        case State::Data:
            if (c == kIac)
                m_state = State::Iac;
            else
                data += ch;
            break;
        case State::Iac:
            m_state = State::Data;
            if (c == kIac) {
                data += ch;
            } else if (c == kSb) {
                m_sub.clear();
                m_state = State::Sub;
            } else if (c >= kWill && c <= kDont) {
                m_verb = c;
                m_state = State::Option;
            } // other commands (NOP, GA, data mark) carry nothing for the board
            break;
        case State::Option:
            option(m_verb, c, reply);
            m_state = State::Data;
            break;
        case State::Sub:
            if (c == kIac)
                m_state = State::SubIac;
            else
                m_sub += ch;
            break;
        case State::SubIac:
            if (c == kIac) {
                m_sub += ch;
                m_state = State::Sub;
            } else { // SE, or a broken sequence: the subnegotiation ends either way
                subnegotiation();
                m_state = State::Data;
            }
            break;
        }
    }
}

void Decoder::option(quint8 verb, quint8 code, QByteArray& reply) {
    const bool ours = code == kBinary || code == kSuppressGoAhead ||
                      (code == kComPortOption && (verb == kDo || verb == kDont));
    if (code == kComPortOption && verb == kDo) m_comPortAccepted = true;
    if (code == kComPortOption && verb == kDont) m_comPortRefused = true;
    if (ours || verb == kWont || verb == kDont) return;
    reply += optionBytes(verb == kDo ? kWont : kDont, code);
}

void Decoder::subnegotiation() {
    if (m_sub.size() < 2 || quint8(m_sub[0]) != kComPortOption) return;
    const int command = quint8(m_sub[1]) - kServerReply;
    // Only answers to the commands sent count; line and modem notifications do not.
    if ((command < int(ComPort::SetBaudRate) || command > int(ComPort::SetControl)) &&
        command != int(ComPort::PurgeData))
        return;
    ++m_replies;
    if (command == int(ComPort::SetBaudRate) && m_sub.size() == 6) {
        quint32 b = 0;
        for (int i = 2; i < 6; ++i)
            b = (b << 8) | quint8(m_sub[i]);
        m_baud = b;
    }
}

} // namespace kalvex::telnet

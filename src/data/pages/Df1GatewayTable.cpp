#include "data/pages/Df1GatewayTable.h"

#include <map>

namespace kalvex {

namespace {

struct Df1Read {
    const char* address;
    const char* caption;
};

const Df1Read kReads[kDf1Reads] = {
    {"B1423", "K5800 Configuration Status:"},
    {"B1421", "Transmit Data Status"},
    {"B1422", "Transmit Data Status (prev.):"},
    {"W1416", "Current Transaction:"},
    {"B1414", "Active Command:"},
    {"B1426", "Number of BYTES Received:"},
    {"B1702.6", "Received Command BIT Status"},
    {"B1703", "Status:"},
    {"W1704", "Current Transaction Received:"},
    {"B1401.0", "&PLC Type:"},
    {"B1450", "&Destination Node:"},
    {"B1411", "Desination File &Number:"},
};

using CodeTable = std::map<qint64, const char*>;

const CodeTable kConfiguration{{1, "(1) Busy"},
                               {2, "(2) Success"},
                               {3, "(3) Invalid Parameter"},
                               {4, "(4) Timeout - No Response"},
                               {32, "(32) Hardware ACK Error"},
                               {34, "(34) Invalid Slot ADD"}};

const CodeTable kTransmit{{1, "(1) Busy"},
                          {2, "(2) Done"},
                          {3, "(3) DLE NAK Received"},
                          {4, "(4) DLE ENQ Timeout"},
                          {5, "(5) No Response Timeout"},
                          {6, "(6) Message Packet Error"}};

constexpr qint64 kExtended = 0xF0;

const CodeTable kSts{{0x01, "(01) Not Used"},
                     {0x02, "(02) Cannot Guarantee Delivery: Link Layer"},
                     {0x03, "(03) Duplicate Token Holder Detected"},
                     {0x04, "(04) Local Port is Disconnected"},
                     {0x05, "(05) Application Layer Timed out waiting for a response"},
                     {0x06, "(06) Duplicate Node Detected"},
                     {0x07, "(07) Station is Off-Line"},
                     {0x08, "(08) Hardware Fault"},
                     {0x10, "(10) Illegal Command or Format"},
                     {0x20, "(20) Host has a Problem and Will Not Communicate"},
                     {0x30, "(30) Remote Node Host is Missing, Disconnected or Shut Down"},
                     {0x40, "(40) Host Could Not Complete Function Due to Hardware Fault"},
                     {0x50, "(50) Addressing Problem or Memory Protect Rungs"},
                     {0x60, "(60) Function Disallowed due to Command Protection Selection"},
                     {0x70, "(70) Processor is in Program Mode"},
                     {0x80, "(80) Compatibility Mode File Missing or Communication Zone Problem"},
                     {0x90, "(90) Remote Node Cannot Buffer Command"},
                     {0xA0, "(A0) Not Used"},
                     {0xB0, "(B0) Remote Node Problem Due to Download"},
                     {0xC0, "(C0) Cannot Execute Command Due to Active IPBs"},
                     {0xD0, "(D0) Not Used"},
                     {0xE0, "(E0) Not Used"}};

const CodeTable kExtSts{
    {0x00, "(F0-0) Not Used"},
    {0x01, "(F0-1) A Field has an Illegal Value"},
    {0x02, "(F0-2) Less Levels Specified in Address than Minimum for any Address"},
    {0x03, "(F0-3) More Levels Specified in Address than System Supports"},
    {0x04, "(F0-4) Symbol Not Found"},
    {0x05, "(F0-5) Symbol is of Improper Format"},
    {0x06, "(F0-6) Address Dosen't Point to Something Usable"},
    {0x07, "(F0-7) File is Wrong Size"},
    {0x08, "(F0-8) Cannot Complete Request, Situation has Changed since the Start of the Command"},
    {0x09, "(F0-9) Data or File is Too Large"},
    {0x0A, "(F0-A) Transaction Size plus Word Address is Too Large"},
    {0x0B, "(F0-B) Access Denied, Improper Privilege"},
    {0x0C, "(F0-C) Condition cannot be Generated - Resource is Not Available"},
    {0x0D, "(F0-D) Condition already exists - Resource is already available"},
    {0x0E, "(F0-E) Command Cannot be Executed"},
    {0x0F, "(F0-F) Histogram Overflow"},
    {0x10, "(F0-10) No Access"},
    {0x11, "(F0-11) Illegal Data Type"},
    {0x12, "(F0-12) Invalid Parameter or Invalid Data"},
    {0x13, "(F0-13) Address Reference exists to Deleted Area"},
    {0x14, "(F0-14) Command Execution Failure for unknown reason; Possible PLC-3 Histogram "
           "Overflow"},
    {0x15, "(F0-15) Data Conversion Error"},
    {0x16, "(F0-16) Scanner Not Able to Communicate with 1771 Rack Adapter"},
    {0x17, "(F0-17) Adapter cannot Communicate with module"},
    {0x18, "(F0-18) 1771 Module Response was not Valid"},
    {0x19, "(F0-19) Duplicate Label"},
    {0x1A, "(F0-1A) File is Open; Another Node Owns it"},
    {0x1B, "(F0-1B) Another Node is the Program Owner"}};

const char* find(const CodeTable& table, qint64 value) {
    const auto it = table.find(value);
    return it == table.end() ? nullptr : it->second;
}

// Upper-case hexadecimal without leading zeros, as the codes are compared.
QString hex(qint64 v) {
    return QString::number(v, 16).toUpper();
}

QString decimalOr(const CodeTable& table, qint64 value) {
    if (const char* t = find(table, value)) return QString::fromLatin1(t);
    return QStringLiteral("(%1) Unknown Status").arg(value);
}

} // namespace

QString df1Address(int read) {
    return read >= 0 && read < kDf1Reads ? QString::fromLatin1(kReads[read].address) : QString();
}

QString df1Caption(int read) {
    return read >= 0 && read < kDf1Reads ? QString::fromLatin1(kReads[read].caption) : QString();
}

QString df1ConfigurationText(qint64 value) {
    return decimalOr(kConfiguration, value);
}

QString df1TransmitText(qint64 value) {
    return decimalOr(kTransmit, value);
}

QString df1ExtStsText(qint64 extSts) {
    if (const char* t = find(kExtSts, extSts)) return QString::fromLatin1(t);
    return QStringLiteral("(F0-%1) - Not Used").arg(hex(extSts));
}

QString df1StsText(qint64 sts, qint64 extSts) {
    if (sts == kExtended) return df1ExtStsText(extSts);
    if (const char* t = find(kSts, sts)) return QString::fromLatin1(t);
    return QStringLiteral("(%1) - Not Used").arg(hex(sts));
}

QString df1StatusText(qint64 status, qint64 sts, qint64 extSts) {
    if (status == 0) return QStringLiteral("(00) Success - No Error");
    return df1StsText(sts, extSts);
}

QString df1RowText(int row, qint64 value) {
    switch (row) {
    case 0:
        return df1ConfigurationText(value);
    case 1:
    case 2:
        return df1TransmitText(value);
    case 4: // any other command code is shown as read
        return value == 0   ? QStringLiteral("Read")
               : value == 1 ? QStringLiteral("Write")
                            : QString::number(value);
    case 6:
        return value == 0 ? QStringLiteral("Command") : QStringLiteral("Reply");
    default:
        return QString::number(value);
    }
}

} // namespace kalvex

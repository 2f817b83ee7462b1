#pragma once
#include <QString>

#include <array>

namespace kalvex {

// The DF1 gateway page: twelve board reads a pass. Reads 0-8 feed display rows 0-8, 9 the PLC
// type list, 10 and 11 the two entry fields. Rows 7's status needs B1418 and B1419 as well, read
// only when B1703 is not 0.
constexpr int kDf1Reads = 12;
constexpr int kDf1Displays = 9;
constexpr int kDf1StatusRow = 7;
constexpr int kDf1ListRead = 9;
constexpr int kDf1FirstField = 10;
constexpr int kDf1DataOffset = 1744; // list, then fields 0 and 1
constexpr int kDf1FieldMax = 255;

QString df1Address(int read);
// The caption of read i's row or control ("K5800 Configuration Status:", "&PLC Type:", ...).
QString df1Caption(int read);
inline const QString kDf1StsAddress = QStringLiteral("B1418");
inline const QString kDf1ExtStsAddress = QStringLiteral("B1419");

// The text display row `row` shows for `value`; rows 7 takes its status from df1StatusText.
QString df1RowText(int row, qint64 value);
// Row 7: B1703 with, when it is not 0, the STS and EXT STS codes.
QString df1StatusText(qint64 status, qint64 sts, qint64 extSts);

QString df1ConfigurationText(qint64 value);
QString df1TransmitText(qint64 value);
QString df1StsText(qint64 sts, qint64 extSts);
QString df1ExtStsText(qint64 extSts);

// The PLC type list: 0 "PLC5", 1 "SLC500". A stored value outside the list selects nothing.
inline const std::array<QString, 2> kDf1PlcTypes{QStringLiteral("PLC5"), QStringLiteral("SLC500")};
inline int df1ListIndex(qint64 value) {
    return value == 0 || value == 1 ? int(value) : -1;
}

} // namespace kalvex

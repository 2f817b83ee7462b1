#include "data/ItemNames.h"

#include "data/TagMap.h"
#include "data/pages/SetupParameterTable.h"

namespace kalvex {

namespace {

const char* const kTotals[] = {"total good cans",  "total blow-offs", "bad can blow-offs",
                               "manual blow-offs", "Q.C. blow-offs",  "restart blow-offs"};

// The report texts open with their number ("3. ") and may end in a colon and blanks.
QString parameterName(int index) {
    QString text =
        QString::fromLatin1(setupParameters()[size_t(index - kSetupDataOffset)].reportText);
    text = text.trimmed();
    const qsizetype dot = text.indexOf(QLatin1String(". "));
    if (dot > 0 && dot < 4) text = text.mid(dot + 2);
    if (text.endsWith(u':')) text.chop(1);
    return text;
}

QString shiftName(int index) {
    if (index <= 36) return QStringLiteral("Trips, spindle %1").arg(index);
    if (index <= 42)
        return QStringLiteral("Current shift, %1").arg(QLatin1String(kTotals[index - 37]));
    if (index <= 78) return QStringLiteral("Current shift trips, spindle %1").arg(index - 42);
    if (index <= 84)
        return QStringLiteral("Last shift, %1").arg(QLatin1String(kTotals[index - 79]));
    if (index <= 120) return QStringLiteral("Last shift trips, spindle %1").arg(index - 84);
    return QStringLiteral("Lifetime can count (x1000)");
}

QString labelName(int index) {
    const int k = index - kFirstLabelItem;
    const int label = k / kItemsPerLabel;
    const int within = k % kItemsPerLabel;
    const int ductor = within % 8 + 1;
    return within < 8 ? QStringLiteral("Label %1, ductor %2 ON").arg(label).arg(ductor)
                      : QStringLiteral("Label %1, ductor %2 cycle").arg(label).arg(ductor);
}

} // namespace

QString itemName(int index) {
    if (index == 0) return QStringLiteral("Spindle No.1 trip shift offset");
    if (index >= 1 && index <= 121) return shiftName(index);
    if (index >= kSetupDataOffset && index < kSetupDataOffset + kSetupParameterCount)
        return parameterName(index);
    if (index == kColorControlItem) return QStringLiteral("Color control value");
    if (index >= kFirstLabelItem && index < kFirstLabelItem + kLabelCount * kItemsPerLabel)
        return labelName(index);
    switch (index) {
    case 1744:
        return QStringLiteral("DF1 gateway PLC type");
    case 1745:
        return QStringLiteral("DF1 gateway PLC node number");
    case 1746:
        return QStringLiteral("DF1 gateway PLC starting file number");
    default:
        return QStringLiteral("Item %1").arg(index);
    }
}

} // namespace kalvex

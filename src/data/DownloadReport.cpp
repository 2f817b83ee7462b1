// What the operator is told after a download of chosen items, and the offers made on the way.
#include "data/DataCompare.h"
#include "data/ItemNames.h"
#include "link/Prompt.h"

#include <QLocale>

#include <algorithm>

namespace kalvex {

namespace {

const QString kPara = QStringLiteral("\r\n\r\n");

void tell(Prompt& prompt, const QString& text, MsgIcon icon) {
    prompt.message(kProgramTitle, text, MsgButtons::Ok, icon);
}

QString count(size_t n) {
    return QLocale(QLocale::English).toString(qulonglong(n));
}

// Until the operator says the link is back, the items in doubt stay unknown.
void offerReadInDoubt(Prompt& prompt, DataCompare& compare, const SetupData& data,
                      SelectiveOutcome& out) {
    const QString text =
        QStringLiteral("The board stopped answering during the download. These items may have "
                       "been changed, in part or in whole:") +
        kPara + itemLines(data, out.inDoubt) + kPara +
        QStringLiteral("When the link is back, choose Retry to read them from the board. "
                       "Cancel leaves them unknown.");
    while (prompt.message(kProgramTitle, text, MsgButtons::RetryCancel, MsgIcon::Exclamation) ==
           MsgAnswer::Retry)
        if (compare.readInDoubt(data, out)) return;
}

bool askReadBackAfterCancel(Prompt& prompt, size_t total, const SelectiveOutcome& out) {
    return prompt.message(
               kProgramTitle,
               QStringLiteral("Download stopped: %1 of %2 sent; %3 not sent.")
                       .arg(count(out.sent().size()), count(total), count(out.notSent.size())) +
                   kPara +
                   QStringLiteral("Read back the %1 items sent?").arg(count(out.sent().size())),
               MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

// A complete download: all went out, so the read-back (or its absence) is the whole story.
bool reportComplete(Prompt& prompt, size_t total, const SelectiveOutcome& out) {
    if (!out.mismatches.empty() || !out.strays.empty()) {
        tellReadBack(prompt, total, out.mismatches, out.strays);
        return false;
    }
    if (out.verified) {
        tell(prompt,
             QStringLiteral("%1 items written and read back: the board holds them.").arg(total),
             MsgIcon::Information);
        return true;
    }
    if (out.verifyAsked)
        tell(prompt,
             QStringLiteral("%1 items written, but the read-back did not run to its end: "
                            "whether the board holds them is not known.")
                 .arg(total),
             MsgIcon::Exclamation);
    else if (out.resynchronised)
        tell(prompt,
             QStringLiteral("%1 items written, not read back. The link had to resynchronise, so "
                            "a stray byte may have been written; whether the board holds them "
                            "is not known.")
                 .arg(total),
             MsgIcon::Exclamation);
    else
        tell(prompt, QStringLiteral("%1 items written.").arg(total), MsgIcon::Information);
    return false;
}

QString section(const QString& head, const QString& lines) {
    return lines.isEmpty() ? QString() : head + QStringLiteral("\r\n") + lines;
}

} // namespace

bool reportDownload(Prompt& prompt, DataCompare& compare, const SetupData& data,
                    const std::vector<int>& items, SelectiveOutcome out) {
    if (!out.started) return false;
    if (!out.inDoubt.empty() && compare.linkDown()) offerReadInDoubt(prompt, compare, data, out);
    const std::vector<int> sent = out.sent();
    if (!out.verified && !sent.empty() && !compare.linkDown() &&
        (out.resynchronised ? askReadBack(prompt, out.strayCandidates)
                            : out.cancelled && out.verifyAsked &&
                                  askReadBackAfterCancel(prompt, items.size(), out)))
        compare.readBack(data, sent, out);
    if (out.complete) return reportComplete(prompt, items.size(), out);
    tell(prompt, downloadSummary(data, items.size(), out) + kPara + downloadDetails(data, out),
         MsgIcon::Exclamation);
    return false;
}

QString downloadSummary(const SetupData&, size_t total, const SelectiveOutcome& out) {
    QStringList parts;
    if (out.verified) {
        const size_t bad = out.mismatches.size();
        parts << QStringLiteral("%1 of %2 written and verified")
                     .arg(count(out.sent().size() - bad), count(total));
        if (bad) parts << QStringLiteral("%1 not as sent").arg(count(bad));
    } else {
        parts << QStringLiteral("%1 of %2 written").arg(count(out.written.size()), count(total)) +
                     (out.written.empty() ? QString() : QStringLiteral(", not verified"));
        if (!out.inDoubt.empty())
            parts << QStringLiteral("%1 may have been changed").arg(count(out.inDoubt.size()));
    }
    if (!out.notSent.empty()) parts << QStringLiteral("%1 not sent").arg(count(out.notSent.size()));
    return parts.join(QStringLiteral("; ")) + u'.';
}

QString downloadDetails(const SetupData& data, const SelectiveOutcome& out) {
    QStringList sections;
    if (out.verified) {
        sections << section(QStringLiteral("The board does not hold:"),
                            mismatchLines(out.mismatches));
    } else {
        sections << section(QStringLiteral("May have been changed (the board did not confirm "
                                           "the write), not known:"),
                            itemLines(data, out.inDoubt));
        if (out.resynchronised)
            sections << QStringLiteral("The link had to resynchronise, so a stray byte may have "
                                       "been written.");
    }
    sections << section(QStringLiteral("Not sent, the board keeps its values:"),
                        itemLines(data, out.notSent));
    sections << section(QStringLiteral("These bytes outside the items written read 255, the "
                                       "value a stray byte leaves; check what they should hold:"),
                        strayLines(out.strays));
    sections.removeAll(QString());
    return sections.join(kPara);
}

bool askReadBack(Prompt& prompt, const std::vector<int>& strayBytes) {
    QStringList names;
    for (const int at : strayBytes)
        names << strayByteName(at);
    const QString where = names.isEmpty() ? QString()
                                          : QStringLiteral(" It may have landed on ") +
                                                names.join(QStringLiteral(", ")) +
                                                QStringLiteral(", outside the items written.");
    return prompt.message(kProgramTitle,
                          QStringLiteral("The link had to resynchronise during the download, so a "
                                         "stray byte may have been written.") +
                              where +
                              (names.isEmpty()
                                   ? QStringLiteral("\r\n\r\nRead back the items written?")
                                   : QStringLiteral("\r\n\r\nRead back the items written and "
                                                    "those bytes?")),
                          MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

void tellReadBack(Prompt& prompt, size_t count,
                  const std::optional<std::vector<ItemDifference>>& mismatches,
                  const std::vector<int>& strays) {
    const QString strayText =
        strays.empty() ? QString()
                       : QStringLiteral("these bytes outside the items written read 255, the "
                                        "value a stray byte leaves; check what they should "
                                        "hold:\r\n\r\n") +
                             strayLines(strays);
    if (!mismatches)
        tell(prompt,
             QStringLiteral("The read-back did not run to its end: whether the board holds the "
                            "items written is not known."),
             MsgIcon::Exclamation);
    else if (!mismatches->empty())
        tell(prompt,
             QStringLiteral("Verification failed. The board does not hold:\r\n\r\n") +
                 mismatchLines(*mismatches) +
                 (strayText.isEmpty() ? QString() : QStringLiteral("\r\n\r\nAlso, ") + strayText),
             MsgIcon::Exclamation);
    else if (!strays.empty())
        tell(prompt, QStringLiteral("%1 items read back as written, but ").arg(count) + strayText,
             MsgIcon::Exclamation);
    else
        tell(prompt, QStringLiteral("%1 items read back: the board holds them.").arg(count),
             MsgIcon::Information);
}

QString itemLines(const SetupData& data, const std::vector<int>& items) {
    QStringList lines;
    for (const int i : items)
        lines << QStringLiteral("%1  %2").arg(
            size_t(i) < data.Address.size() ? data.Address[size_t(i)] : QString(), itemName(i));
    return lines.join(QStringLiteral("\r\n"));
}

QString strayLines(const std::vector<int>& strays) {
    QStringList lines;
    for (const int at : strays)
        lines << strayByteName(at);
    return lines.join(QStringLiteral("\r\n"));
}

QString mismatchLines(const std::vector<ItemDifference>& mismatches) {
    QStringList lines;
    for (const ItemDifference& d : mismatches)
        lines << QStringLiteral("%1  %2: sent %3, board holds %4")
                     .arg(d.address, d.name)
                     .arg(d.valueA)
                     .arg(d.valueB);
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace kalvex

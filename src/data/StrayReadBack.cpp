#include "data/StrayReadBack.h"

#include "data/DataCompare.h"
#include "link/Prompt.h"
#include "link/RSComm.h"

#include <algorithm>

namespace kalvex {

StrayWatch::StrayWatch(const RSComm& link)
    : m_link(link), m_before(link.strayCandidates().size()) {}

void StrayWatch::confirmed(const QString& address) {
    const ParsedAddress p = parseAddress(address);
    if (p.valid)
        m_confirmed.push_back(
            {p.byteAddress, p.byteAddress + p.byteCount() - 1, m_link.strayCandidates().size()});
}

std::vector<int> StrayWatch::candidates() const {
    std::vector<int> out;
    const std::vector<int>& all = m_link.strayCandidates();
    for (size_t k = m_before; k < all.size(); ++k) {
        const int at = all[k];
        // A later write's stray may land on an earlier write's byte.
        const bool written =
            std::any_of(m_confirmed.begin(), m_confirmed.end(), [at, k](const Confirmed& c) {
                return k < c.seenBefore && at >= c.first && at <= c.last;
            });
        if (!written && std::find(out.begin(), out.end(), at) == out.end()) out.push_back(at);
    }
    return out;
}

StrayCheck readBackStrays(RSComm& link, const StrayWatch& watch) {
    StrayCheck check;
    check.candidates = watch.candidates();
    if (check.candidates.empty()) return check;
    if (const auto strays = readStrays(link, check.candidates)) {
        check.read = true;
        check.strays = *strays;
    }
    return check;
}

QString StrayCheck::text() const {
    if (!doubtful()) return {};
    if (read)
        return QStringLiteral("The link had to resynchronise during the write, and these bytes "
                              "that nobody meant to write now read 255, the value a stray byte "
                              "leaves; check what they should hold:\r\n\r\n") +
               strayLines(strays);
    return QStringLiteral("The link had to resynchronise during the write, so a stray byte may "
                          "have been written to one of these bytes, and they could not be read "
                          "back; what they hold is not known:\r\n\r\n") +
           strayLines(candidates);
}

CheckedWrites writeChecked(RSComm& link, const std::vector<BoardWrite>& writes) {
    CheckedWrites out;
    StrayWatch watch(link);
    for (const auto& [address, value] : writes) {
        out.result = link.writeValue(address, value);
        if (!out.result) break;
        watch.confirmed(address);
        ++out.written;
    }
    out.strays = readBackStrays(link, watch);
    return out;
}

LinkResult writeAndTell(RSComm& link, Prompt& prompt, const QString& title, const QString& address,
                        const QString& value) {
    const CheckedWrites w = writeChecked(link, {{address, value}});
    tellStrays(prompt, title, w.strays);
    return w.result;
}

void tellStrays(Prompt& prompt, const QString& title, const StrayCheck& check) {
    if (check.doubtful()) prompt.message(title, check.text(), MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace kalvex

#include "data/DataTransfer.h"

#include "link/RSComm.h"

namespace kalvex {

DataTransfer::DataTransfer(RSComm& link, Prompt& prompt, SetupData& data, TransferPlan plan)
    : m_link(link), m_prompt(prompt), m_data(data), m_plan(std::move(plan)),
      m_maximum(m_plan.maximum) {}

bool DataTransfer::failed() const {
    return m_lost;
}

bool DataTransfer::step() {
    if (m_finished) return false;
    m_lost = m_lost || !m_link.OnlineMode(); // a switch online that failed, or a lost link
    if (m_next == 0 && m_plan.setupFirst && !m_plan.items.empty()) {
        // Item 0 goes without a Cancel check and then counts into the maximum.
        ++m_next;
        if (!m_lost) {
            transferItem(m_plan.items.front());
            ++m_maximum;
            ++m_value;
        }
        return true;
    }
    if (m_next >= m_plan.items.size() || m_cancel || m_lost) {
        finish();
        return false;
    }
    transferItem(m_plan.items[m_next++]);
    ++m_value;
    return true;
}

void DataTransfer::runToEnd(const std::function<void(const DataTransfer&)>& progress) {
    while (step())
        if (progress) progress(*this);
}

// An item without an address (missing from a shorter file) is left as it is: the empty address
// would otherwise land on byte 32 of the board. One whose address names no board cell fails
// without a byte sent.
void DataTransfer::transferItem(int index) {
    const size_t i = size_t(index);
    const QString address = i < m_data.Address.size() ? m_data.Address[i].trimmed() : QString();
    if (address.isEmpty() || i >= m_data.Value.size()) {
        ++m_skipped;
        return;
    }
    if (!isBoardAddress(address)) {
        if (m_onItem) m_onItem(index, LinkFailure::RefusedInput);
        m_failedItems.push_back({index, address, LinkFailure::RefusedInput});
        return;
    }
    // A failed read keeps the value we had: "0" from a silent board is no value.
    const LinkResult r = m_plan.upload
                             ? m_link.readValue(address)
                             : m_link.writeValue(address, QString::number(m_data.Value[i]));
    if (m_onItem) m_onItem(index, r.failure);
    if (!r) {
        m_failedItems.push_back({index, address, r.failure});
        // A board that does not answer (or an operator who gave up on it) ends the transfer;
        // a wrong echo is one item, and the next goes on.
        m_lost = m_lost || r.failure == LinkFailure::NoAnswer;
        return;
    }
    if (m_plan.upload) m_data.Value[i] = qint32(r.value);
    ++m_done;
}

LinkFailure DataTransfer::outcome() const {
    if (!m_failedItems.empty()) return m_failedItems.front().failure;
    if (m_lost) return LinkFailure::NoAnswer;
    if (m_cancel && m_next < m_plan.items.size()) return LinkFailure::Cancelled;
    return LinkFailure::None;
}

QString failedItemsText(const std::vector<FailedItem>& items, int max) {
    QStringList parts;
    for (const FailedItem& f : items) {
        if (parts.size() == max) {
            parts << QStringLiteral("and %1 more").arg(items.size() - size_t(max));
            break;
        }
        parts << QStringLiteral("%1 (%2)").arg(f.address, failureText(f.failure));
    }
    return parts.join(QStringLiteral(", "));
}

void DataTransfer::finish() {
    m_finished = true;
    if (!m_lost && m_failedItems.empty()) return;
    QString text = QStringLiteral("Error Processing Request\r\n\r\nProcess Not Complete");
    if (!m_failedItems.empty())
        text += QStringLiteral("\r\n\r\nFailed items: ") + failedItemsText();
    m_prompt.message(kProgramTitle, text, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace kalvex

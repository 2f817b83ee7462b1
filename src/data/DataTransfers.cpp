#include "data/DataTransfers.h"

#include "data/AppState.h"
#include "data/GeneralDate.h"
#include "data/history/HistoryHooks.h"
#include "link/RSComm.h"

namespace kalvex {

namespace {

bool askYesNo(Prompt& prompt, const QString& title, const QString& text) {
    return prompt.message(title, text, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

} // namespace

DataTransfers::DataTransfers(AppState& state, RSComm& link, Prompt& prompt, TransferHost& host)
    : m_state(state), m_link(link), m_prompt(prompt), m_host(host) {}

// The data set is dated when the upload starts, but only an upload that read every item
// dates it: a failed or cancelled one leaves the date of the values it did not replace.
TransferOutcome DataTransfers::UploadData(int request) {
    const bool silent = request == kSilentUploadAll || request == kSilentUploadShift;
    if (!silent && !askYesNo(m_prompt, QStringLiteral("Data Upload"),
                             QStringLiteral("You are about to Upload Data from the PLC\r\n\r\n"
                                            "Do You Wish to Continue?")))
        return {};
    const QString started = generalDateNow();
    if (silent) request = request == kSilentUploadAll ? kUploadAll : kUploadShift;
    TransferOutcome outcome = ProcessData(request);
    if (outcome.complete()) m_state.gUploadNOW = started;
    return outcome;
}

bool TransferHost::acceptForeignAddresses(Prompt& prompt, const QString& items) {
    return askYesNo(prompt, QStringLiteral("Data Download"),
                    QStringLiteral("These items of the data set name other board addresses than "
                                   "this program's tag map:\r\n") +
                        items + QStringLiteral("\r\n\r\nDownload them anyway?"));
}

bool DataTransfers::AskDownload(Prompt& prompt) {
    return askYesNo(prompt, QStringLiteral("Data Download"),
                    QStringLiteral("You are about to Download Data to the PLC\r\n\r\n"
                                   "Do You Wish to Continue?"));
}

QString DataTransfers::foreignAddresses(const TransferPlan& plan, const SetupData& data,
                                        const SetupData& tagMap) {
    QStringList items;
    for (const int i : plan.items) {
        const QString address =
            size_t(i) < data.Address.size() ? data.Address[size_t(i)] : QString();
        const QString mapped =
            size_t(i) < tagMap.Address.size() ? tagMap.Address[size_t(i)] : QString();
        // An empty address is left out by the transfer itself.
        if (!address.trimmed().isEmpty() && address.compare(mapped, Qt::CaseInsensitive) != 0)
            items << QStringLiteral("item %1: %2 (tag map: %3)").arg(i).arg(address, mapped);
    }
    return items.join(QStringLiteral("\r\n"));
}

QString DataTransfers::unsendableItems(const TransferPlan& plan, const SetupData& data) {
    QStringList items;
    for (const int i : plan.items) {
        const size_t k = size_t(i);
        const QString address = k < data.Address.size() ? data.Address[k].trimmed() : QString();
        if (address.isEmpty()) continue;
        if (!isBoardAddress(address))
            items << QStringLiteral("item %1: %2 is not a board address").arg(i).arg(address);
    }
    return items.join(QStringLiteral("\r\n"));
}

bool chooseLabelRange(TransferHost& host, AppState& state) {
    const std::optional<LabelRange> range = host.askLabelRange();
    state.gLabelFirst = range ? range->first : 0;
    state.gLabelLast = range ? range->last : 0;
    state.gProcessCancelled = !range;
    return range.has_value();
}

TransferOutcome DataTransfers::DownloadData(int request) {
    return AskDownload(m_prompt) ? ProcessData(request + 10) : TransferOutcome{};
}

namespace {

// A window that returned before the end counts as a cancel: the transfer did not complete.
TransferOutcome outcomeOf(const DataTransfer& t) {
    TransferOutcome o;
    o.failure = t.outcome();
    o.kind = o.failure == LinkFailure::None        ? (t.finished() ? TransferOutcome::Kind::Complete
                                                                   : TransferOutcome::Kind::Cancelled)
             : o.failure == LinkFailure::Cancelled ? TransferOutcome::Kind::Cancelled
                                                   : TransferOutcome::Kind::Failed;
    o.doneItems = t.doneItems();
    o.totalItems = t.totalItems();
    o.failedItems = t.failedItems();
    return o;
}

} // namespace

TransferOutcome DataTransfers::ProcessData(int code) {
    if (!isProcessCode(code)) return {};
    if (!m_link.OnlineMode()) {
        if (!askYesNo(m_prompt, QStringLiteral("Program Offline"),
                      QStringLiteral("Program is Currently OFFLINE\r\n\r\n"
                                     "Do You Wish to Switch to ONLINE MODE to Continue?")))
            return {};
        m_host.switchOnline(); // a failed switch leaves the link lost: the first item ends it
    }
    m_state.gProcessCode = code;
    const bool labels = code == kUploadLabels || code == kDownloadLabels;
    if (labels && !chooseLabelRange(m_host, m_state)) return {};
    if (!labels) m_state.gProcessCancelled = false;
    TransferPlan plan = transferPlan(code, m_state.gLabelFirst, m_state.gLabelLast);
    if (const QString bad = unsendableItems(plan, m_state.gCurrentData); !bad.isEmpty()) {
        m_prompt.message(kProgramTitle,
                         QStringLiteral("Nothing was transferred. These items of the data set "
                                        "cannot be moved:\r\n") +
                             bad,
                         MsgButtons::Ok, MsgIcon::Exclamation);
        return {};
    }
    if (!plan.upload) {
        const QString foreign = foreignAddresses(plan, m_state.gCurrentData, m_state.gDefaultData);
        if (!foreign.isEmpty() && !m_host.acceptForeignAddresses(m_prompt, foreign)) return {};
    }
    const bool upload = plan.upload;
    DataTransfer transfer(m_link, m_prompt, m_state.gCurrentData, std::move(plan));
    const DownloadWatch watch(transfer, m_link);
    noteTransferStart(m_state);
    m_host.showProcessing(transfer);
    TransferOutcome outcome = outcomeOf(transfer);
    if (!upload)
        outcome.readBack = readBack(watch.written, transfer.failed(), watch.resynchronised(),
                                    watch.strayCandidates());
    noteTransferEnd(m_state, code, outcome);
    return outcome;
}

// A resynchronisation can store a stray 0xFF on any item, one written earlier included, so the
// read-back waits for the last write. The byte where it may have landed outside the items is
// read too.
std::optional<ReadBack> DataTransfers::readBack(const std::vector<int>& written, bool silent,
                                                bool resynchronised,
                                                const std::vector<int>& strayCandidates) {
    if (written.empty() || silent) return std::nullopt;
    const std::vector<int> outside = straysOutside(m_state.gCurrentData, written, strayCandidates);
    if (!m_verify && !(resynchronised && askReadBack(m_prompt, outside))) return std::nullopt;
    DataCompare compare(m_link, m_prompt, m_host);
    auto mismatches = compare.verify(m_state.gCurrentData, written);
    const auto strays = mismatches ? readStrays(m_link, outside) : std::nullopt;
    if (!strays) mismatches.reset();
    tellReadBack(m_prompt, written.size(), mismatches, strays.value_or(std::vector<int>{}));
    return ReadBack{mismatches.has_value(), mismatches.value_or(std::vector<ItemDifference>{}),
                    strays.value_or(std::vector<int>{})};
}

} // namespace kalvex

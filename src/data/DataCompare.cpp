#include "data/DataCompare.h"

#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/ItemNames.h"
#include "data/TagMap.h"
#include "link/RSComm.h"

#include <algorithm>

namespace kalvex {

std::vector<int> setItemsOf(int setCode, int labelFirst, int labelLast) {
    switch (setCode % 10) {
    case kUploadSetup:
        return setupDataItems();
    case kUploadShift:
        return shiftDataItems();
    case kUploadLabels:
        return labelDataItems(labelFirst, labelLast);
    case kUploadAll: {
        // A narrower label range leaves the other labels out of All.
        std::vector<int> items;
        const std::vector<int> labels = labelDataItems(labelFirst, labelLast);
        for (const int i : allDataItems())
            if (i < kFirstLabelItem || i >= kFirstLabelItem + kLabelCount * kItemsPerLabel ||
                (i >= labels.front() && i <= labels.back()))
                items.push_back(i);
        return items;
    }
    default:
        return {};
    }
}

std::vector<ItemDifference> differingItems(const SetupData& a, const SetupData& b,
                                           const std::vector<int>& items) {
    std::vector<ItemDifference> out;
    for (const int i : items) {
        const size_t k = size_t(i);
        if (i < 0 || k >= a.Value.size() || k >= b.Value.size() || a.Value[k] == b.Value[k])
            continue;
        out.push_back({i, k < a.Address.size() ? a.Address[k] : QString(), itemName(i), a.Value[k],
                       b.Value[k]});
    }
    return out;
}

TransferPlan boardReadPlan(std::vector<int> items) {
    TransferPlan p;
    p.code = kUploadAll;
    p.upload = true;
    p.text = QStringLiteral("Reading the Board, Please Standby...");
    p.maximum = int(items.size());
    p.items = std::move(items);
    return p;
}

TransferPlan selectiveDownloadPlan(int setCode, std::vector<int> items) {
    TransferPlan p;
    p.code = setCode % 10 + 10;
    p.upload = false;
    p.text = progressText(p.code);
    p.maximum = int(items.size());
    p.items = std::move(items);
    return p;
}

TransferPlan verifyPlan(std::vector<int> items) {
    TransferPlan p = boardReadPlan(std::move(items));
    p.text = QStringLiteral("Verifying, Please Standby...");
    return p;
}

DataCompare::DataCompare(RSComm& link, Prompt& prompt, TransferHost& host)
    : m_link(link), m_prompt(prompt), m_host(host) {}

bool DataCompare::goOnline() {
    if (!m_link.OnlineMode()) {
        if (m_prompt.message(QStringLiteral("Program Offline"),
                             QStringLiteral("Program is Currently OFFLINE\r\n\r\n"
                                            "Do You Wish to Switch to ONLINE MODE to Continue?"),
                             MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
            return false;
        m_host.switchOnline();
    }
    return m_link.OnlineMode();
}

std::optional<std::vector<ItemDifference>> DataCompare::compareSet(AppState& state, int setCode) {
    if (!goOnline()) return std::nullopt;
    if (setCode == kUploadLabels) {
        if (!chooseLabelRange(m_host, state)) return std::nullopt;
    }
    const bool labels = setCode == kUploadLabels;
    return compareWithBoard(state.gCurrentData, setItemsOf(setCode, labels ? state.gLabelFirst : 0,
                                                           labels ? state.gLabelLast : 99));
}

// The scratch copy starts as `base`, so addresses are the data set's; an item whose read did
// not complete ends the transfer, so its stale value is never taken for the board's.
std::optional<SetupData> DataCompare::readBoard(const SetupData& base,
                                                const std::vector<int>& items) {
    if (!goOnline()) return std::nullopt;
    SetupData scratch = base;
    bool failed = false;
    DataTransfer read(m_link, m_prompt, scratch, boardReadPlan(items));
    read.onItem([&failed](int, LinkFailure f) { failed = failed || f != LinkFailure::None; });
    m_host.showProcessing(read);
    if (failed || read.failed() || read.cancelled() || !read.finished()) return std::nullopt;
    return scratch;
}

std::optional<std::vector<ItemDifference>>
DataCompare::compareWithBoard(const SetupData& data, const std::vector<int>& items) {
    const std::optional<SetupData> board = readBoard(data, items);
    if (!board) return std::nullopt;
    return differingItems(data, *board, items);
}

SelectiveOutcome DataCompare::download(int setCode, const SetupData& data,
                                       const std::vector<int>& items, bool verifyAfter) {
    SelectiveOutcome out;
    if (m_prompt.message(QStringLiteral("Data Download"),
                         QStringLiteral("You are about to Download Data to the PLC\r\n\r\n"
                                        "%1 items will be written.\r\n\r\n"
                                        "Do You Wish to Continue?")
                             .arg(items.size()),
                         MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes ||
        !goOnline())
        return out;
    out.started = true;
    out.verifyAsked = verifyAfter;
    SetupData source = data; // the transfer takes a mutable set; downloads never change it
    DataTransfer write(m_link, m_prompt, source, selectiveDownloadPlan(setCode, items));
    DownloadWatch watch(write, m_link);
    m_host.showProcessing(write);
    out.cancelled = write.cancelled();
    const auto among = [](const std::vector<int>& v, int i) {
        return std::find(v.begin(), v.end(), i) != v.end();
    };
    // A write that started may have changed the board even though it was not confirmed.
    for (const int i : items)
        (among(watch.written, i)  ? out.written
         : among(watch.failed, i) ? out.inDoubt
                                  : out.notSent)
            .push_back(i);
    out.complete = out.inDoubt.empty() && out.notSent.empty() && !write.failed();
    m_boardSilent = write.failed();
    out.resynchronised = watch.resynchronised();
    out.strayCandidates = straysOutside(data, items, watch.strayCandidates());
    // After Cancel the operator is asked first; nothing unsent is ever read back.
    if (verifyAfter && !m_boardSilent && !out.cancelled) readBack(data, out.sent(), out);
    return out;
}

std::vector<int> SelectiveOutcome::sent() const {
    std::vector<int> out = written;
    out.insert(out.end(), inDoubt.begin(), inDoubt.end());
    return out;
}

bool DataCompare::linkDown() const {
    return m_boardSilent || !m_link.OnlineMode();
}

bool DataCompare::readInDoubt(const SetupData& data, SelectiveOutcome& out) {
    if (m_link.OnlineMode())
        m_link.setCommError(false); // the operator says the link is back
    else if (!goOnline())
        return false;
    m_boardSilent = false;
    readBack(data, out.sent(), out);
    return out.verified;
}

void DataCompare::readBack(const SetupData& data, const std::vector<int>& items,
                           SelectiveOutcome& out) {
    auto m = verify(data, items);
    if (!m) return;
    const auto strays = readStrays(m_link, out.strayCandidates);
    if (!strays) return;
    out.verified = true;
    out.mismatches = std::move(*m);
    out.strays = *strays;
}

std::optional<std::vector<ItemDifference>> DataCompare::verify(const SetupData& data,
                                                               const std::vector<int>& items) {
    SetupData scratch = data;
    bool failed = false;
    DataTransfer read(m_link, m_prompt, scratch, verifyPlan(items));
    read.onItem([&failed](int, LinkFailure f) { failed = failed || f != LinkFailure::None; });
    m_host.showProcessing(read);
    if (failed || read.failed() || read.cancelled() || !read.finished()) return std::nullopt;
    return differingItems(data, scratch, items);
}

DownloadWatch::DownloadWatch(DataTransfer& transfer, const RSComm& link)
    : m_link(link), m_retriesBefore(link.writeRetries()),
      m_straysBefore(link.strayCandidates().size()) {
    transfer.onItem([this](int index, LinkFailure f) {
        (f == LinkFailure::None           ? written
         : f == LinkFailure::RefusedInput ? refused
                                          : failed)
            .push_back(index);
        m_wrongEcho = m_wrongEcho || f == LinkFailure::WrongEcho;
    });
}

bool DownloadWatch::resynchronised() const {
    return m_wrongEcho || m_link.writeRetries() != m_retriesBefore ||
           m_link.strayCandidates().size() != m_straysBefore;
}

std::vector<int> DownloadWatch::strayCandidates() const {
    std::vector<int> out;
    const std::vector<int>& all = m_link.strayCandidates();
    for (size_t k = m_straysBefore; k < all.size(); ++k)
        if (std::find(out.begin(), out.end(), all[k]) == out.end()) out.push_back(all[k]);
    return out;
}

std::vector<int> straysOutside(const SetupData& data, const std::vector<int>& items,
                               const std::vector<int>& candidates) {
    std::vector<int> out;
    for (const int at : candidates) {
        const bool covered = std::any_of(items.begin(), items.end(), [&](int i) {
            if (size_t(i) >= data.Address.size()) return false;
            const ParsedAddress p = parseAddress(data.Address[size_t(i)]);
            return p.valid && at >= p.byteAddress && at < p.byteAddress + p.byteCount();
        });
        if (!covered) out.push_back(at);
    }
    return out;
}

std::optional<std::vector<int>> readStrays(RSComm& link, const std::vector<int>& addresses) {
    std::vector<int> strays;
    for (const int at : addresses) {
        const LinkResult r = link.readValue(QStringLiteral("B%1").arg(at));
        if (!r) return std::nullopt;
        if (r.value == 0xFF) strays.push_back(at);
    }
    return strays;
}

QString strayByteName(int address) {
    const QString name = QStringLiteral("B%1").arg(address);
    if (address >= 61424 && address <= 61433)
        return name + QStringLiteral(" (the program ident block)");
    if (address >= 8188 && address <= 8190)
        return name + QStringLiteral(" (the program configuration)");
    if (address >= 0x2000) return name + QStringLiteral(" (inside the board's program)");
    return name;
}

} // namespace kalvex

#pragma once
#include "data/SetupData.h"
#include "data/TransferPlan.h"

#include <QString>

#include <optional>
#include <vector>

namespace kalvex {

class AppState;
class DataTransfer;
class Prompt;
class RSComm;
class TransferHost;

// One item whose value differs between two data sets (a file and the board, or two files).
struct ItemDifference {
    int index = 0;
    QString address;
    QString name;
    qint32 valueA = 0;
    qint32 valueB = 0;

    friend bool operator==(const ItemDifference&, const ItemDifference&) = default;
};

// The items of a set (an upload code: set-up, shift, labels, all) in transfer order; the label
// range limits the label items of All as well.
std::vector<int> setItemsOf(int setCode, int labelFirst = 0, int labelLast = 99);

// Items among `items` whose values differ; the address is the first set's. Items missing from
// either set are left out.
std::vector<ItemDifference> differingItems(const SetupData& a, const SetupData& b,
                                           const std::vector<int>& items);

// Plans beyond the menu's: reading a set without touching the data set shown, writing chosen
// items only, and reading back what was written.
TransferPlan boardReadPlan(std::vector<int> items);
TransferPlan selectiveDownloadPlan(int setCode, std::vector<int> items);
TransferPlan verifyPlan(std::vector<int> items);

// Watches a download from before it starts: the items written, those that failed, and whether
// the link had to resynchronise (a wrong echo or a resent write), which may store a stray byte.
class DownloadWatch {
  public:
    DownloadWatch(DataTransfer& transfer, const RSComm& link);
    DownloadWatch(const DownloadWatch&) = delete; // the transfer calls back into this object
    DownloadWatch& operator=(const DownloadWatch&) = delete;
    bool resynchronised() const;
    // Byte addresses where a stray byte may have landed during this download, once each.
    std::vector<int> strayCandidates() const;

    std::vector<int> written; // the board echoed every byte
    std::vector<int> failed;  // a write started and not confirmed: the board may hold anything
    std::vector<int> refused; // refused before a byte went out

  private:
    const RSComm& m_link;
    int m_retriesBefore;
    size_t m_straysBefore;
    bool m_wrongEcho = false;
};

// How a download of chosen items ended.
struct SelectiveOutcome {
    bool started = false;        // confirmed and online
    bool complete = false;       // every item written without a failure
    bool cancelled = false;      // the operator stopped it between two items
    std::vector<int> written;    // the board echoed every byte
    std::vector<int> inDoubt;    // a write started but not confirmed: may have been changed
    std::vector<int> notSent;    // never reached, or refused before a byte went out
    bool resynchronised = false; // a wrong echo: a stray byte may have landed anywhere
    bool verifyAsked = false;
    bool verified = false;                  // the read-back ran to its end
    std::vector<ItemDifference> mismatches; // data set's value, board's value
    std::vector<int> strayCandidates;       // where a resynchronisation may have stored 0xFF
    std::vector<int> strays;                // those outside the items that read 255
    // The items a byte went out for, in transfer order.
    std::vector<int> sent() const;
};

// Compare with Board and the download of what differs, for the window and the command line.
// The board is read into a scratch copy; the program's data set is never changed here.
class DataCompare {
  public:
    DataCompare(RSComm& link, Prompt& prompt, TransferHost& host);

    // Compare with Board of a set (an upload code) against the program's data set: going
    // online, the Label Range dialog for label data, the board read behind the progress window.
    std::optional<std::vector<ItemDifference>> compareSet(AppState& state, int setCode);
    // Reads `items` from the board; nothing when the read did not run to its end.
    std::optional<SetupData> readBoard(const SetupData& base, const std::vector<int>& items);
    std::optional<std::vector<ItemDifference>> compareWithBoard(const SetupData& data,
                                                                const std::vector<int>& items);
    // After the download question, writes the chosen items of `data` in the given order; then, when
    // asked, reads every written item back after the last write.
    SelectiveOutcome download(int setCode, const SetupData& data, const std::vector<int>& items,
                              bool verify);
    // Reads back `items` and lists those the board does not hold; nothing if the read failed.
    std::optional<std::vector<ItemDifference>> verify(const SetupData& data,
                                                      const std::vector<int>& items);
    // The read-back after a download: the items and the stray candidates outside them, into
    // `out` (verified only when both ran to their end).
    void readBack(const SetupData& data, const std::vector<int>& items, SelectiveOutcome& out);
    // Once the operator says the link is back: reads back every item sent (those in doubt
    // among them) and the stray candidates into `out`; false when it did not run to its end.
    bool readInDoubt(const SetupData& data, SelectiveOutcome& out);
    bool linkDown() const;

  private:
    bool goOnline();

    RSComm& m_link;
    Prompt& m_prompt;
    TransferHost& m_host;
    bool m_boardSilent = false; // the last download ended on a board that did not answer
};

// The candidates outside the bytes of `items` (in `data`'s addresses): the read-back of the
// items does not cover them.
std::vector<int> straysOutside(const SetupData& data, const std::vector<int>& items,
                               const std::vector<int>& candidates);
// Reads each byte address; those that hold 255, the value a stray byte leaves. Nothing when a
// read failed. A corrupted reply cannot be told from data here, so 255 means "may be a stray",
// and another value that no stray landed (or that the reply was spoilt).
std::optional<std::vector<int>> readStrays(RSComm& link, const std::vector<int>& addresses);
// "B1023", with where on the board it is when that is the program, its ident or configuration.
QString strayByteName(int address);

// Tells the operator how a download of chosen items ended: which items were written, which may
// have been changed (offering to read them once the link is back), which were never sent; a
// stray byte the link may have stored (offering the read-back when it was not asked for), and
// what the read-back found. True when the board is known to hold every item.
bool reportDownload(Prompt& prompt, DataCompare& compare, const SetupData& data,
                    const std::vector<int>& items, SelectiveOutcome out);

// After a download in which the link resynchronised: says a stray byte may have been written,
// naming the bytes outside the items where it may have landed, and asks whether to read back
// the items written and those bytes; true for Yes.
bool askReadBack(Prompt& prompt, const std::vector<int>& strayBytes = {});
// Tells what the read-back of `count` written items (and of the stray candidates outside them)
// found: nothing when it did not run to its end.
void tellReadBack(Prompt& prompt, size_t count,
                  const std::optional<std::vector<ItemDifference>>& mismatches,
                  const std::vector<int>& strays = {});

// Lines naming items, "W1092  Canfeed Enable Low Speed", one per item.
QString itemLines(const SetupData& data, const std::vector<int>& items);
QString mismatchLines(const std::vector<ItemDifference>& mismatches);
QString strayLines(const std::vector<int>& strays);
// "710 of 1,744 items written and verified; 1,034 not sent.", and the items of each kind.
QString downloadSummary(const SetupData& data, size_t total, const SelectiveOutcome& out);
QString downloadDetails(const SetupData& data, const SelectiveOutcome& out);

} // namespace kalvex

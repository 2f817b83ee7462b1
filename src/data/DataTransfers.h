#pragma once
#include "data/DataCompare.h"
#include "data/DataTransfer.h"
#include "data/LabelRange.h"

#include <optional>

namespace kalvex {

class AppState;

// What the windows supply to the transfers: going online, the Label Range dialog and the
// progress window. The CLI answers all three without windows.
class TransferHost {
  public:
    virtual ~TransferHost() = default;
    // View > Online Data: set OnlineMode and apply it.
    virtual void switchOnline() = 0;
    // The Label Range dialog: the chosen range, or nothing when the operator cancelled.
    virtual std::optional<LabelRange> askLabelRange() = 0;
    // The progress window, modal: steps the transfer until it ends, offering Cancel meanwhile;
    // returns once the transfer has ended.
    virtual void showProcessing(DataTransfer& transfer) = 0;
    // Items of a download whose address differs from the tag map are listed (`items`) and
    // sent only when this agrees; by default the operator is asked.
    virtual bool acceptForeignAddresses(Prompt& prompt, const QString& items);
};

// Asks the host for the label range and keeps the answer in gLabelFirst, gLabelLast and
// gProcessCancelled; true when a range was chosen.
bool chooseLabelRange(TransferHost& host, AppState& state);

// What the read-back after a download found.
struct ReadBack {
    bool finished = false;                  // every item written was read back
    std::vector<ItemDifference> mismatches; // data set's value, board's value
    std::vector<int> strays; // bytes outside the items that read 255 after a resynchronisation
};

// How an upload or download request ended.
struct TransferOutcome {
    enum class Kind {
        NotStarted, // declined, a dialog cancelled: nothing was asked of the board
        Complete,   // every item moved (items without a board address are left out)
        Cancelled,  // stopped by the operator before the last item
        Failed,     // an item failed or the board stopped answering
    };
    Kind kind = Kind::NotStarted;
    LinkFailure failure = LinkFailure::None; // the first failure, or Cancelled
    int doneItems = 0, totalItems = 0;
    std::vector<FailedItem> failedItems;
    std::optional<ReadBack> readBack; // downloads: what the read-back found, when one ran

    bool complete() const { return kind == Kind::Complete; }
};

// Upload and download requests of the File menu, the toolbar, Save, Export and Print.
class DataTransfers {
  public:
    // Requests beyond the menu's: silent upload of All (Save, Print) and of Shift Data (Export).
    static constexpr int kSilentUploadAll = 3;
    static constexpr int kSilentUploadShift = 31;

    DataTransfers(AppState& state, RSComm& link, Prompt& prompt, TransferHost& host);

    // "You are about to Download Data to the PLC ...": true for Yes.
    static bool AskDownload(Prompt& prompt);
    // The items of a plan whose address in `data` differs from the tag map's, as a list text;
    // empty when all match.
    static QString foreignAddresses(const TransferPlan& plan, const SetupData& data,
                                    const SetupData& tagMap);
    // The items of a plan whose address names no board cell (W70000, D65534, X12), as a list
    // text; empty when every item can be moved. Only an empty address is left out of a
    // transfer; these refuse the whole of it.
    static QString unsendableItems(const TransferPlan& plan, const SetupData& data);

    TransferOutcome UploadData(int request);
    TransferOutcome DownloadData(int request);
    TransferOutcome ProcessData(int code);

    // Downloads read back every item written once the last one is out. Without it, the read-back
    // is offered only when the link had to resynchronise.
    void setVerifyDownloads(bool on) { m_verify = on; }

    RSComm& link() { return m_link; }

  private:
    std::optional<ReadBack> readBack(const std::vector<int>& written, bool silent,
                                     bool resynchronised, const std::vector<int>& strayCandidates);

    AppState& m_state;
    RSComm& m_link;
    Prompt& m_prompt;
    TransferHost& m_host;
    bool m_verify = false;
};

} // namespace kalvex

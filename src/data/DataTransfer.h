#pragma once
#include "data/SetupData.h"
#include "data/TransferPlan.h"
#include "link/LinkResult.h"

#include <functional>

namespace kalvex {

class RSComm;
class Prompt;

// An item the board did not take or give: never counted as transferred.
struct FailedItem {
    int index;
    QString address;
    LinkFailure failure;
};

// "W1092 (wrong echo from the board), B3250 (...)", at most `max` items and a count.
QString failedItemsText(const std::vector<FailedItem>& items, int max = 10);

// One data transfer between the board and a data set, one item per step, so a progress
// window can drive it from a timer and let window events (Cancel, the background timer) run
// between items. Uploads replace items as they arrive; downloads leave the data set alone.
class DataTransfer {
  public:
    DataTransfer(RSComm& link, Prompt& prompt, SetupData& data, TransferPlan plan);

    // Moves one item. False once the transfer has ended (all items, Cancel or a silent board);
    // the end shows "Error Processing Request" once when the board stopped answering or items
    // failed, naming the failed items.
    bool step();
    // Steps to the end; `progress` is called after every step.
    void runToEnd(const std::function<void(const DataTransfer&)>& progress = {});
    // Takes effect before the next item.
    void cancel() { m_cancel = true; }

    const QString& text() const { return m_plan.text; }
    int value() const { return m_value; }
    int maximum() const { return m_maximum; }
    bool finished() const { return m_finished; }
    bool cancelled() const { return m_cancel; }
    bool failed() const;
    // Items not sent because they have no address.
    int skipped() const { return m_skipped; }
    // Items whose read or write did not complete, in transfer order.
    const std::vector<FailedItem>& failedItems() const { return m_failedItems; }
    // Items moved without failure, and how many the transfer has.
    int doneItems() const { return m_done; }
    int totalItems() const { return int(m_plan.items.size()); }
    // Why the transfer is not complete: None only when every item was moved.
    LinkFailure outcome() const;
    QString failedItemsText(int max = 10) const {
        return kalvex::failedItemsText(m_failedItems, max);
    }
    const TransferPlan& plan() const { return m_plan; }
    // Told after every item moved, with how its request ended.
    void onItem(std::function<void(int index, LinkFailure failure)> f) { m_onItem = std::move(f); }

  private:
    void transferItem(int index);
    void finish();

    RSComm& m_link;
    Prompt& m_prompt;
    SetupData& m_data;
    TransferPlan m_plan;
    size_t m_next = 0;
    int m_value = 0;
    int m_maximum = 0;
    int m_skipped = 0;
    int m_done = 0;
    std::vector<FailedItem> m_failedItems;
    bool m_cancel = false;
    bool m_finished = false;
    bool m_lost = false; // an item found the board silent: nothing more is sent
    std::function<void(int, LinkFailure)> m_onItem;
};

} // namespace kalvex

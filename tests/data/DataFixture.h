#pragma once
#include "TestFiles.h"
#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/FileChooser.h"
#include "data/SetupFileOps.h"
#include "link/Address.h"
#include "support/LinkFixture.h"

#include <deque>

namespace kalvex::test {

// Answers the file dialogs from a script and records how they were opened.
class ScriptedChooser final : public FileChooser {
  public:
    std::optional<QString> openFile(const QString& filter, const QString& initial) override {
        return next(filter, initial, openCalls);
    }
    std::optional<QString> saveFile(const QString& filter, const QString& initial) override {
        return next(filter, initial, saveCalls);
    }

    std::deque<std::optional<QString>> answers;
    std::vector<std::pair<QString, QString>> openCalls, saveCalls; // filter, initial path

  private:
    std::optional<QString> next(const QString& filter, const QString& initial,
                                std::vector<std::pair<QString, QString>>& calls) {
        calls.emplace_back(filter, initial);
        if (answers.empty()) return std::nullopt;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

// The windows of a transfer without windows: the range is preset, the progress window steps
// to the end (or cancels after `cancelAfter` steps) and records what it showed.
class FakeHost final : public TransferHost {
  public:
    explicit FakeHost(std::function<void()> goOnline) : m_goOnline(std::move(goOnline)) {}

    void switchOnline() override {
        ++switches;
        m_goOnline();
    }
    std::optional<LabelRange> askLabelRange() override {
        ++rangeDialogs;
        return range;
    }
    void showProcessing(DataTransfer& t) override {
        ++windows;
        text = t.text();
        startMaximum = t.maximum();
        for (int steps = 0; t.step();)
            if (++steps == cancelAfter) t.cancel();
        value = t.value();
        maximum = t.maximum();
        skipped = t.skipped();
    }

    std::optional<LabelRange> range = LabelRange{};
    int cancelAfter = -1, switches = 0, rangeDialogs = 0, windows = 0;
    QString text;
    int startMaximum = -1, value = -1, maximum = -1, skipped = -1;

  private:
    std::function<void()> m_goOnline;
};

// The byte addresses the given items occupy, in item order. After the attention byte 0xFF an
// address byte of 0xFF would be attention: no address in these tests reaches 0xFF00.
inline std::vector<int> bytesOfItems(const SetupData& d, const std::vector<int>& items) {
    std::vector<int> bytes;
    for (const int i : items) {
        const ParsedAddress p = parseAddress(d.Address[size_t(i)]);
        for (int k = 0; k < (p.bitMode ? 1 : p.byteCount()); ++k)
            bytes.push_back(int(p.byteAddress) + k);
    }
    return bytes;
}

// A fresh program state with a link online to an in-process simulator whose machine stands
// still, so board memory changes only through the link.
class DataFixture : public LinkFixture {
  protected:
    void goOffline() {
        link.CloseRSComm();
        clearTranscript();
    }
    QString path(const char* name) const { return home.filePath(QLatin1String(name)); }
    std::vector<int> writtenBytes() const {
        std::vector<int> out;
        for (const auto& w : traffic().writes)
            out.push_back(w.first);
        return out;
    }

    AppState state;
    FakeHost host{[this] { link.OpenRSComm(port); }};
    DataTransfers transfers{state, link, prompt, host};
    ScriptedChooser chooser;
    SetupFileOps files{state, prompt, chooser, transfers};
};

} // namespace kalvex::test

// A failed read is never a value: for every page, a wrong echo at each read of one pass leaves
// every display with the value it had or the board's new one, draws the failed one stale, and
// sends no write.
#include "PageKit.h"
#include "data/AppState.h"
#include "support/LinkFixture.h"
#include "support/Pages.h"
#include "widgets/pages/StaleValue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <functional>
#include <map>
#include <memory>

using namespace kalvex;

namespace {

using Texts = std::map<QString, QString>;
using Make = test::MakePage;

// What a person reads on the page: every named label, text box, tick and list choice.
Texts shownTexts(const QWidget* page) {
    Texts t;
    for (const QWidget* w : page->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty()) continue;
        if (auto* c = qobject_cast<const QCheckBox*>(w))
            t[name] = c->isChecked() ? "1" : "0";
        else if (qobject_cast<const QLabel*>(w) || qobject_cast<const QLineEdit*>(w) ||
                 qobject_cast<const QComboBox*>(w))
            t[name] = test::shownText(w);
    }
    return t;
}

std::vector<QString> staleNames(const QWidget* page) {
    std::vector<QString> out;
    for (const QWidget* w : page->findChildren<QWidget*>())
        if (stale::isStale(w)) out.push_back(w->objectName());
    return out;
}

class FailedReadTest : public test::LinkFixture,
                       public testing::WithParamInterface<test::Contract> {
  protected:
    // Two different sets of memory, neither holding a 0 the page could show by mistake.
    void fill(int set) {
        for (int a = 0; a < 65536; ++a)
            board.poke(a, quint8(set == 0 ? (a * 7 + 3) % 251 + 1 : (a * 13 + 5) % 241 + 2));
    }

    // A page shown online with the first set; the second set then in memory.
    std::unique_ptr<MachinePage> pageAfterCleanPasses(const Make& makePage, Texts& before) {
        fill(0);
        std::unique_ptr<MachinePage> page(makePage(state, link, prompt));
        page->show();
        page->Activate();
        test::runPass(page->refreshLoop());
        test::runPass(page->refreshLoop());
        before = shownTexts(page.get());
        fill(1);
        clearTranscript();
        return page;
    }

    AppState state;
};

TEST_P(FailedReadTest, AWrongEchoAtAnyReadShowsNoValueTheBoardDidNotSend) {
    int staleSeen = 0;
    const Make& makePage = GetParam().make;
    Texts before, after;
    auto reference = pageAfterCleanPasses(makePage, before);
    test::runPass(reference->refreshLoop());
    after = shownTexts(reference.get());
    const std::vector<int> positions = traffic().readHighBytes;
    ASSERT_FALSE(positions.empty());
    reference.reset();
    for (const int position : positions) {
        SCOPED_TRACE(position);
        Texts old;
        auto page = pageAfterCleanPasses(makePage, old);
        board.faults().wrongEchoAt = {board.receivedCount() + position};
        test::runPass(page->refreshLoop());
        const Texts shown = shownTexts(page.get());
        for (const auto& [widget, text] : shown)
            EXPECT_TRUE(text == old[widget] || text == after[widget])
                << qPrintable(widget) << " shows " << qPrintable(text) << ", neither "
                << qPrintable(old[widget]) << " nor " << qPrintable(after[widget]);
        for (const QString& w : staleNames(page.get())) {
            EXPECT_EQ(shown.at(w), old[w]) << qPrintable(w); // the last good value
            ++staleSeen;
        }
        EXPECT_TRUE(traffic().writes.empty());
        board.faults().wrongEchoAt.clear();
        test::runPass(page->refreshLoop()); // the next good pass clears the look
        EXPECT_TRUE(staleNames(page.get()).empty());
    }
    // Most reads have a display of their own.
    EXPECT_GT(2 * staleSeen, int(positions.size())) << staleSeen;
}

INSTANTIATE_TEST_SUITE_P(Pages, FailedReadTest, testing::ValuesIn(test::kContracts),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace

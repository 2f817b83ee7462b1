#include "PageKit.h"

#include <QTest>

using namespace kalvex;

namespace {

class Df1PageTest : public test::PageTest<frm5800DF1> {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        test::showActive(page);
        runPass(); // ShowOnline
        clearTranscript();
    }
    QString shown(int row) const { return text(QStringLiteral("lblDisplay%1").arg(row)); }
    QComboBox* list() const { return at<QComboBox>("cboSetup"); }
};

// (the order of a pass is the page's contract)
TEST_F(Df1PageTest, TheStatusCodesAreReadOnlyOnAnError) {
    board.setValue("B1423", 0);
    board.setValue("B1421", 7);
    board.poke(1702, 0x40);
    board.setValue("B1703", 0);
    runPass();
    EXPECT_EQ(shown(0), "(0) Unknown Status");
    EXPECT_EQ(shown(1), "(7) Unknown Status");
    EXPECT_EQ(shown(6), "Reply");
    EXPECT_EQ(shown(7), "(00) Success - No Error");
    board.setValue("B1703", 1);
    board.setValue("B1418", 240);
    board.setValue("B1419", 27);
    clearTranscript();
    runPass();
    EXPECT_EQ(traffic().reads,
              test::bytesOf(test::addresses("B1423 B1421 B1422 W1416 B1414 B1426 B1702 B1703 B1418 "
                                            "B1419 W1704 B1401 B1450 B1411")));
    EXPECT_EQ(shown(7), "(F0-1B) Another Node is the Program Owner");
}

// The refresh selecting the board's value writes nothing; the operator's choice writes its
// index once; a value outside the list selects nothing.
TEST_F(Df1PageTest, PlcTypeIsWrittenOnlyWhenTheOperatorChoosesIt) {
    board.setValue("B1401", 0xF0); // gateway bits beside the PLC type
    runPass();
    board.setValue("B1401.0", 1);
    clearTranscript();
    runPass();
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_TRUE(traffic().writes.empty());

    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(list()->currentText(), "PLC5");
    EXPECT_EQ(board.value("B1401"), 0xF0);
    EXPECT_EQ(state.gCurrentData.Value[1744], 0);
    EXPECT_EQ(traffic().writes.size(), 1u);
    board.setValue("B1401.0", 1); // while the operator is at the list, it is not overwritten
    runPass();
    EXPECT_EQ(list()->currentIndex(), 0);
    QTest::keyClick(list(), Qt::Key_Escape);
    runPass();
    EXPECT_EQ(list()->currentIndex(), 1);

    link.CloseRSComm();
    state.gOfflineEdit = true;
    state.gCurrentData.Value[1744] = 7;
    runPass();
    runPass();
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_EQ(list()->currentIndex(), -1);
    EXPECT_EQ(shown(0), "-");
    clearTranscript();
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(state.gCurrentData.Value[1744], 0);
    EXPECT_TRUE(sent().isEmpty());
}

} // namespace

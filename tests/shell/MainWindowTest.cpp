#include "ShellFixture.h"

#include <QDialog>
#include <QMdiArea>
#include <QMessageBox>

namespace kalvex::test {
namespace {

using MainWindow = ShellFixture;

TEST_F(MainWindow, ClosingAfterAnEditAsksToSave) {
    window->show();
    state.gCurrentData.Value[5] += 1;
    prompt.answer(MsgAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "Save Changes to File?");

    goOnline();
    prompt.answer(MsgAnswer::No);
    item("mnuFileExit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_FALSE(port.isOpen());
}

// Save As, and a file named at start (as the desktop opens one), name the caption; a file
// that cannot be read says why and leaves the data set as it was.
TEST_F(MainWindow, SaveAsAndAFileOpenedAtStartNameTheCaption) {
    chooser.answers.push_back(home.filePath("line3.sdt"));
    item("mnuFileSaveAs")->trigger();
    EXPECT_EQ(window->windowTitle(), "KALVEX - [line3.sdt]");
    EXPECT_TRUE(QFile::exists(home.filePath("line3.sdt")));

    QFile junk(home.filePath("junk.sdt"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a set-up file");
    junk.close();
    window->openAtStart(junk.fileName());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].text.contains("junk.sdt")) << qPrintable(prompt.boxes[0].text);
    EXPECT_EQ(window->windowTitle(), "KALVEX - [line3.sdt]");

    QFile::copy(home.filePath("line3.sdt"), home.filePath("line4.sdt"));
    window->openAtStart(home.filePath("line4.sdt"));
    EXPECT_EQ(window->windowTitle(), "KALVEX - [line4.sdt]");
    EXPECT_EQ(prompt.boxes.size(), 1u);
}

TEST_F(MainWindow, HelpWithoutAHelpFileNamesWhereToLookAndAboutNamesProductAndVersion) {
    item("mnuHelpHelpTopics")->trigger();
    ASSERT_EQ(prompt.boxes.size(), 1u);
    // Neither the Windows help file nor the installed README: the box names both and the manual.
    const QString text = prompt.boxes[0].text;
    for (const char* part : {"KALVEX.hlp", "doc/kalvex/README.md", "man kalvex"})
        EXPECT_TRUE(text.contains(part)) << part << qPrintable(text);
    item("mnuHelpAbout")->trigger();
    auto* about = child<QDialog>("frmAbout");
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    QString texts;
    for (QLabel* l : about->findChildren<QLabel*>())
        texts += l->text();
    EXPECT_TRUE(texts.contains("KALVEX") && texts.contains(KALVEX_VERSION)) << qPrintable(texts);
}

// The Window menu shows one page window at a time, whatever the pages are.
class WindowMenu : public ShellFixture {
  protected:
    void SetUp() override {
        for (int i : {0, 1, 4})
            pages[size_t(i)] = [this, i] {
                ++made[size_t(i)];
                auto* w = new QWidget;
                w->setObjectName(QStringLiteral("page%1").arg(i));
                return w;
            };
        ShellFixture::SetUp();
    }
    QString shownPage() const {
        return window->pageWindow() ? window->pageWindow()->objectName() : QString();
    }
    std::array<int, 6> made{};
};

TEST_F(WindowMenu, ShowsOnePageAtATime) {
    EXPECT_EQ(shownPage(), "page0");
    EXPECT_TRUE(item("mnuWindowForm_1")->isEnabled());
    EXPECT_FALSE(item("mnuWindowForm_2")->isEnabled());
    item("mnuWindowForm_0")->trigger();
    EXPECT_EQ(made[0], 1);
    EXPECT_TRUE(item("mnuWindowForm_0")->isChecked());

    QPointer<QWidget> first = window->pageWindow();
    item("mnuWindowForm_4")->trigger();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(shownPage(), "page4");
    EXPECT_EQ(window->currentPage(), 4);
    EXPECT_EQ(child<QMdiArea>("mdiArea")->subWindowList().size(), 1);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(item(QStringLiteral("mnuWindowForm_%1").arg(i))->isChecked(), i == 4) << i;
}

using Background = ShellFixture;

int visibleFaultBoxes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            n += box->text() == QLatin1String("Faults Acitve in Target Board");
    return n;
}

void closeFaultBoxes() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible()) w->close();
}

const QString kHeader = "------------------------------ ALARM MESSAGE "
                        "------------------------------\r\n";
const QString kAlarms = "System Message:  Alarm(s) Active in P9100";
const QString kDuctor = "Feedback Fault\r\nVerify Ductor Cycling Operation\r\n";

TEST_F(Background, AlarmWordGivesStatusPanelAndMessage) {
    const std::tuple<int, QString, QString> cases[] = {
        {0, "System Message:  All Faults Normal",
         "-- System Normal --\r\nSet-up Program is Currently ONLINE"},
        {5, kAlarms,
         kHeader + "Infeed Track Jam\r\n \r\n" + kHeader +
             "Timing Signal Failure\r\nVerify Resolver Operation\r\n"},
        {8, kAlarms, kHeader + "\r\n"},
        {256, kAlarms, kHeader + "Ductor No.1 " + kDuctor},
        {32768, kAlarms, kHeader + "Ductor No.8 " + kDuctor}};
    goOnline();
    for (const auto& [w98, panel, message] : cases) {
        board.setValue("W98", w98);
        window->tmrBackgroungUpdate_Timer();
        EXPECT_EQ(status(), panel) << w98;
        EXPECT_EQ(state.gStatusMessage, message) << w98;
    }
    // A tick reads B8176 (2 bytes) then W98: a W98 not read, or a lost link, changes nothing.
    const QString shown = status(), message = state.gStatusMessage;
    board.setValue("W98", 0);
    board.faults().wrongEchoAt = {board.receivedCount() + 3};
    window->tmrBackgroungUpdate_Timer();
    link.setCommError(true);
    board.clearTranscript();
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), shown);
    EXPECT_EQ(state.gStatusMessage, message);
    EXPECT_TRUE(board.transcript().empty());
    EXPECT_EQ(visibleFaultBoxes(), 0);
}

TEST_F(Background, ProcessorFaultShowsTheBoxOncePerEpisode) {
    goOnline();
    board.setValue("B8176", 5);
    board.setValue("W98", 5); // not listed while the processor is faulted
    for (int tick = 0; tick < 10; ++tick)
        window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(visibleFaultBoxes(), 1);
    EXPECT_EQ(status(), "System Message:  Fault Code (05H): --- Fault File Not Found ---");
    EXPECT_EQ(state.gStatusMessage,
              "****** PROCESSOR FAULTED ******\r\nSet-up Program is Currently ONLINE");
    closeFaultBoxes();
    window->tmrBackgroungUpdate_Timer();
    board.faults().wrongEchoAt = {board.receivedCount() + 1}; // B8176 not read: no "no fault"
    window->tmrBackgroungUpdate_Timer();
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(visibleFaultBoxes(), 0); // the episode goes on: no second box

    board.setValue("B8176", 0);
    board.setValue("W98", 0);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), "System Message:  All Faults Normal");
    board.setValue("B8176", 5);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(visibleFaultBoxes(), 1);
    closeFaultBoxes();
}

} // namespace
} // namespace kalvex::test

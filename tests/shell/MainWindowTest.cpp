#include "ShellFixture.h"

#include <QDialog>
#include <QMdiArea>

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

} // namespace
} // namespace kalvex::test

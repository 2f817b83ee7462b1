#include "ShellFixture.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

using MainWindow = ShellFixture;

TEST_F(MainWindow, StartsOfflineUnnamedAndSilent) {
    EXPECT_EQ(window->windowTitle(), "KALVEX - [unnamed]");
    EXPECT_EQ(mode(), "OFFLINE");
    EXPECT_EQ(status(), "System Message:");
    EXPECT_TRUE(item("mnuViewOffline")->isChecked());
    EXPECT_FALSE(item("mnuViewOnline")->isChecked());
    EXPECT_FALSE(item("mnuEditOfflineEditing")->isChecked());
    EXPECT_FALSE(item("mnuEditPasscode")->isEnabled());
    EXPECT_TRUE(item("mnuWindowForm_0")->isChecked());
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), "System Message:  Program is Currently OFFLINE");
    EXPECT_EQ(port.openCount(), 0);
    EXPECT_TRUE(board.transcript().empty());
    EXPECT_TRUE(prompt.boxes.empty());
}

// The STATUS panel cuts a long text (the whole of it is the tool tip) and never widens the
// main window.
TEST_F(MainWindow, ALongStatusTextIsCutAndDoesNotWidenTheWindow) {
    window->show();
    const int width = window->width();
    StatusPanel* panel = child<StatusBar>("sbrMain")->panel(StatusBar::Status);
    const QString text = QStringLiteral("System Message:  ") + QString(300, u'x');
    panel->setText(text);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->width(), width);
    EXPECT_LT(window->minimumSizeHint().width(), width);
    EXPECT_EQ(panel->text(), text);
    EXPECT_TRUE(panel->shownText().endsWith(QChar(0x2026))) << panel->shownText().toStdString();
}

struct MenuItem {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
    bool enabled;
};

TEST_F(MainWindow, MenuItemsHaveTheirCaptionsShortcutsAndStates) {
    const MenuItem items[] = {
        {"mnuFileNew", "&New...", QKeySequence(Qt::CTRL | Qt::Key_N), true},
        {"mnuFileOpen", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O), true},
        {"mnuFileSave", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S), true},
        {"mnuFileSaveAs", "Save &As...", {}, true},
        {"mnuFileExport", "Export Shift Data...", QKeySequence(Qt::CTRL | Qt::Key_X), true},
        {"mnuFileDownloadProgram", "&Download Program", {}, true},
        {"mnuFilePrintSetup", "&Report Setup", {}, true},
        {"mnuFilePrint", "&Print Report...", QKeySequence(Qt::CTRL | Qt::Key_P), true},
        {"mnuFilePrintPreview", "Print Pre&view...", {}, true},
        {"mnuFileExit", "E&xit", {}, true},
        {"mnuEditOfflineEditing", "Enable &Offline Editing", QKeySequence(Qt::Key_F2), true},
        {"mnuEditCommPort", "Co&mm Port", QKeySequence(Qt::CTRL | Qt::Key_M), false},
        {"mnuEditPasscode", "Color Control Passcode", {}, false},
        {"mnuViewOnline", "O&nline Data", QKeySequence(Qt::Key_F3), true},
        {"mnuViewOffline", "O&ffline Data", QKeySequence(Qt::Key_F4), true},
        {"mnuViewTargetBoardStatus", "&Target Board Interface", QKeySequence(Qt::Key_F5), false},
        {"mnuWindowForm_0", "&1 Main Display", {}, false},
        {"mnuWindowForm_3", "&4 Serial Communications", {}, false},
        {"mnuWindowForm_5", "&6 I/O States", {}, false},
        {"mnuHelpHelpTopics", "&Help Topics", QKeySequence(Qt::CTRL | Qt::Key_H), true},
        {"mnuHelpAbout", "&About KALVEX", {}, true},
    };
    for (const MenuItem& item : items) {
        SCOPED_TRACE(item.name);
        auto* a = window->findChild<QAction*>(QLatin1String(item.name));
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QLatin1String(item.caption));
        EXPECT_EQ(a->shortcut(), item.shortcut);
        EXPECT_EQ(a->isEnabled(), item.enabled);
    }
    QStringList upload;
    for (QAction* a : child<QMenu>("mnuFileUpload")->actions())
        upload << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(upload.join('|'), "Set-up Data|Shift Data|Label Data|-|All");
    EXPECT_EQ(child<QMenu>("mnuFileUpload")->title(), "&Upload (save) Data");
    EXPECT_EQ(child<QMenu>("mnuFileDownload")->title(), "Dow&nload (restore) Data");
}

TEST_F(MainWindow, ToolbarEntriesByIndex) {
    const char* const descriptions[] = {"",
                                        "",
                                        "New",
                                        "Open",
                                        "Save",
                                        "",
                                        "Print",
                                        "",
                                        "Offline Edit",
                                        "",
                                        "Upload",
                                        "Download Data",
                                        "",
                                        "Target Board Interface"};
    const QList<QAction*> entries = child<QToolBar>("Toolbar1")->actions();
    ASSERT_EQ(entries.size(), 13);
    for (int i = 1; i <= 13; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i - 1], item(QStringLiteral("Toolbar1_%1").arg(i)));
        EXPECT_EQ(entries[i - 1]->isSeparator(), i == 5 || i == 7 || i == 9 || i == 12);
        if (i != 10 && i != 11) {
            EXPECT_EQ(entries[i - 1]->text(), QLatin1String(descriptions[i]));
        }
    }
    EXPECT_EQ(child<QToolButton>("uploadButton")->defaultAction()->text(), "Upload");
    EXPECT_EQ(child<QToolButton>("uploadButton")->toolTip(), "Upload (save) Settings");
    EXPECT_EQ(child<QToolButton>("downloadButton")->toolTip(), "Download (restore) Settings");
    EXPECT_EQ(item("Toolbar1_2")->toolTip(), "New...");
}

TEST_F(MainWindow, OfflineEditingMenuToolbarAndFlagAgree) {
    QAction* button = item("Toolbar1_8");
    const std::vector<QAction*> clicks = {item("mnuEditOfflineEditing"), button, button,
                                          item("mnuEditOfflineEditing")};
    bool expected = false;
    for (QAction* a : clicks) {
        a->trigger();
        expected = !expected;
        EXPECT_EQ(state.gOfflineEdit, expected);
        EXPECT_EQ(item("mnuEditOfflineEditing")->isChecked(), expected);
        EXPECT_EQ(button->isChecked(), expected);
    }
}

TEST_F(MainWindow, ClosingAfterAnEditAsksToSave) {
    window->show();
    state.gCurrentData.Value[5] += 1;
    prompt.answer(MsgAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "Save Changes to File?");
    EXPECT_EQ(prompt.boxes[0].title, "KALVEX");
    EXPECT_EQ(prompt.boxes[0].buttons, MsgButtons::YesNoCancel);

    goOnline();
    prompt.answer(MsgAnswer::No);
    item("mnuFileExit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(MainWindow, SaveAsNamesTheCaption) {
    chooser.answers.push_back(home.filePath("line3.sdt"));
    item("mnuFileSaveAs")->trigger();
    EXPECT_EQ(window->windowTitle(), "KALVEX - [line3.sdt]");
    EXPECT_TRUE(QFile::exists(home.filePath("line3.sdt")));
}

TEST_F(MainWindow, HelpTopicsWithoutTheHelpFileSaysSo) {
    item("mnuHelpHelpTopics")->trigger();
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].text.startsWith("The help file was not found:"));
    EXPECT_TRUE(prompt.boxes[0].text.contains("KALVEX.hlp"));
}

TEST_F(MainWindow, AboutBoxNamesProductAndVersion) {
    item("mnuHelpAbout")->trigger();
    auto* about = window->findChild<QDialog*>("frmAbout");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    QString texts;
    for (QLabel* l : about->findChildren<QLabel*>())
        texts += l->text();
    EXPECT_TRUE(texts.contains("KALVEX"));
    EXPECT_TRUE(texts.contains(KALVEX_VERSION));
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

TEST_F(WindowMenu, APageWindowHasNoWindowControlsAndCannotBeClosed) {
    QMdiSubWindow* sub = child<QMdiArea>("mdiArea")->subWindowList().front();
    const Qt::WindowFlags controls = Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint |
                                     Qt::WindowSystemMenuHint | Qt::WindowContextHelpButtonHint;
    EXPECT_FALSE(sub->windowFlags() & controls);
    EXPECT_EQ(sub->systemMenu(), nullptr);
    EXPECT_FALSE(sub->close());
    EXPECT_EQ(shownPage(), "page0");
}

} // namespace
} // namespace kalvex::test

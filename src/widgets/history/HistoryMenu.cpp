#include "widgets/history/HistoryMenu.h"

#include "data/AppState.h"
#include "data/history/HistoryRecorder.h"
#include "widgets/history/HistoryWindow.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>

namespace kalvex {

namespace {

QMenu* menuNamed(QMainWindow& window, const QString& title) {
    for (QAction* a : window.menuBar()->actions())
        if (a->text() == title && a->menu()) return a->menu();
    return window.menuBar()->addMenu(title);
}

QAction* checkItem(QMenu* menu, const char* name, const QString& text, bool on) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(true);
    a->setChecked(on);
    return a;
}

} // namespace

void installHistoryMenus(QMainWindow& window, HistoryRecorder& recorder, AppState& state,
                         Prompt& prompt, FileChooser& chooser) {
    recorder.setWindowName([&state] {
        const QWidget* modal = QApplication::activeModalWidget();
        return modal ? modal->objectName() : state.gActiveWindow;
    });
    recorder.setMayRead([] { return QApplication::activeModalWidget() == nullptr; });

    QMenu* edit = menuNamed(window, QStringLiteral("&Edit"));
    edit->addSeparator();
    QMenu* sub = edit->addMenu(QStringLiteral("&History"));
    QAction* record = checkItem(sub, "mnuEditHistoryRecord",
                                QStringLiteral("&Record Machine History"), recorder.recording());
    QAction* sample =
        checkItem(sub, "mnuEditHistoryBackground",
                  QStringLiteral("&Sample Counters on Other Pages (5 reads every 10 s)"),
                  recorder.settings().backgroundSampling);
    sample->setStatusTip(
        QStringLiteral("Reads the five Main Display counters every 10 s while "
                       "another page is shown: 64 bytes, 0.7 % of the link at 9600 "
                       "baud"));
    QObject::connect(record, &QAction::toggled, &recorder,
                     [&recorder](bool on) { recorder.setRecording(on); });
    QObject::connect(sample, &QAction::toggled, &recorder,
                     [&recorder](bool on) { recorder.setBackgroundSampling(on); });
    QObject::connect(&recorder, &HistoryRecorder::message, &window,
                     [&window, &recorder, record](const QString& text) {
                         window.statusBar()->showMessage(text, 30000);
                         const QSignalBlocker quiet(record);
                         record->setChecked(recorder.recording());
                     });

    QMenu* view = menuNamed(window, QStringLiteral("&View"));
    view->addSeparator();
    QAction* show = view->addAction(QStringLiteral("&History..."));
    show->setObjectName(QStringLiteral("mnuViewHistory"));
    auto history = std::make_shared<QPointer<HistoryWindow>>();
    QObject::connect(show, &QAction::triggered, &window,
                     [&window, &recorder, &prompt, &chooser, history] {
                         if (!*history) {
                             *history = new HistoryWindow(recorder, prompt, chooser, &window);
                             (*history)->setAttribute(Qt::WA_DeleteOnClose);
                         }
                         (*history)->show();
                         (*history)->raise();
                         (*history)->activateWindow();
                         (*history)->reload();
                     });
}

} // namespace kalvex

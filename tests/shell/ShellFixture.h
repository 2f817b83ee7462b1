#pragma once
#include "data/AppState.h"
#include "data/FileChooser.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "widgets/shell/frmMDIMain.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace kalvex::test {

// One QApplication for a test program without the widget tests' main.
void ensureApplication();

// Answers the file dialogs from a list; an empty list cancels.
class ListChooser final : public FileChooser {
  public:
    std::optional<QString> openFile(const QString&, const QString& at) override { return next(at); }
    std::optional<QString> saveFile(const QString&, const QString& at) override { return next(at); }
    std::deque<QString> answers;
    std::vector<QString> initialPaths;
    std::optional<QString> next(const QString& initial) {
        initialPaths.push_back(initial);
        if (answers.empty()) return std::nullopt;
        QString a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Drives a dialog opened with exec(): `act` runs on every event-loop pass until it returns true.
class ModalDriver {
  public:
    template <class T> void on(std::function<bool(T*)> act) {
        auto* timer = new QTimer;
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()))
                if (act(w)) timer->stop();
        });
        timer->start();
        timers.emplace_back(timer);
    }
    std::vector<std::unique_ptr<QTimer>> timers;
};

// The main window over a simulated board; tests step the (stopped) background timer by hand.
class ShellFixture : public ::testing::Test, protected SimulatedLink {
  protected:
    void SetUp() override;
    void TearDown() override { window.reset(); }

    // Menu items and toolbar entries (arrays: name_index) and other children by name.
    QAction* item(const QString& name) const { return control<QAction>(*window, name); }
    template <class W> W* child(const QString& name) const { return control<W>(*window, name); }
    QLabel* panel(int index) const { return child<StatusBar>("sbrMain")->panel(index); }
    QString status() const { return panel(StatusBar::Status)->text(); }
    QString mode() const { return panel(StatusBar::Mode)->text(); }
    void goOnline();
    QString itemAddress(int item) const { return state.gDefaultData.Address[size_t(item)]; }

    ListChooser chooser;
    AppState state;
    std::array<PageFactory, 6> pages{};
    std::unique_ptr<frmMDIMain> window;
    ModalDriver modal;
};

} // namespace kalvex::test

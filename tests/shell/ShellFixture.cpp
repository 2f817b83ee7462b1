#include "ShellFixture.h"

#include <QMessageBox>

// The font library keeps a cache for the life of the process; it is not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace kalvex::test {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "kalvex_tests_shell";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    Q_UNUSED(app);
}

void ShellFixture::SetUp() {
    ensureApplication();
    ASSERT_TRUE(home.isValid());
    board.machine().running = false;
    window = std::make_unique<frmMDIMain>(
        ShellContext{state, link, port, prompt, chooser, home.path(), pages});
    child<QTimer>("tmrBackgroungUpdate")->stop();
}

void ShellFixture::goOnline() {
    item("mnuViewOnline")->trigger();
    ASSERT_TRUE(link.OnlineMode());
    board.clearTranscript();
}

int ShellFixture::visibleFaultBoxes() const {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            n += box->text() == QLatin1String("Faults Acitve in Target Board");
    return n;
}

void ShellFixture::closeFaultBoxes() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible()) w->close();
}

} // namespace kalvex::test

#include "ShellFixture.h"

// The font library keeps a cache for the life of the process; it is not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace kalvex::test {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "kalvex_tests_shell";
    static char* argv[] = {name, nullptr};
    if (!qApp) new QApplication(argc, argv);
}

void ShellFixture::SetUp() {
    ensureApplication();
    ASSERT_TRUE(home.isValid());
    window = std::make_unique<frmMDIMain>(
        ShellContext{state, link, port, prompt, chooser, home.path(), pages});
    child<QTimer>("tmrBackgroungUpdate")->stop();
}

void ShellFixture::goOnline() {
    item("mnuViewOnline")->trigger();
    ASSERT_TRUE(link.OnlineMode());
    board.clearTranscript();
}

} // namespace kalvex::test

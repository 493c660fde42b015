// The Qt tests need an application object for widgets, fonts and sockets.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Tests that start the game must never ask the real update server (a reply could open a
    // modal dialog); a closed local port makes the check fail quietly.
    qputenv("BRIVANE_UPDATE_SERVER", "127.0.0.1:1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
    // Qt Multimedia's clean-up at exit can wait for ever on a sample still loading in its own
    // thread; the game ends the same way, so the tests do not wait for it either.
    std::fflush(nullptr);
    std::_Exit(result);
}

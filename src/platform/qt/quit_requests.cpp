// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A signal handler may do almost nothing safely, and the game may only be entered from a yield:
// the handler writes one byte into a pipe, and a socket notifier on the other end hands the
// request to the game the next time it processes events. The game then takes the same path as
// a click on the window's close button, which writes the scores file atomically and ends.
//
// A session manager (XSMP, on X11 desktops) asks the game to save its data before a logout; the
// game has nothing to save but its scores, and the logout would end it anyway, so it ends there.
#include "platform/qt/quit_requests.h"

#include <fcntl.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/qt/qt_platform.h"

namespace brivane {

namespace {

constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's write end, the one thing the handler touches.
volatile std::sig_atomic_t wakeFd = -1;

// Qt reports a broken connection to the display with one of these and then exits (X11) or
// aborts (Wayland) at once; the message is the last moment the game can still save.
constexpr const char* displayLostMessages[] = {"The X11 connection broke",
                                               "The Wayland connection broke"};

QuitRequests* active = nullptr;
QtMessageHandler qtHandler = nullptr;

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (qtHandler != nullptr) {
        qtHandler(type, context, message);
    }
    for (const char* lost : displayLostMessages) {
        if (active != nullptr && message.startsWith(QLatin1String(lost))) {
            active->displayLost();
        }
    }
}

// The window system destroying the game's window leaves Qt with a widget that has no window and
// a process nobody can close; the game takes that as the window closing.
class DestroyWatch : public QAbstractNativeEventFilter {
  public:
    explicit DestroyWatch(QtPlatform& platform) : platform_(platform) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || platform_.window() == nullptr) {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY) {
            return false;
        }
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        const WId ours = platform_.window()->internalWinId();
        if (ours != 0 && destroyed->window == ours) {
            platform_.closeWindow();
        }
        return false;
    }

  private:
    QtPlatform& platform_;
};

extern "C" void onQuitSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request, so a byte that does not fit is not missed.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &byte, 1);
    errno = saved;
}

}  // namespace

QuitRequests::QuitRequests(QtPlatform& platform) : platform_(platform) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the signals keep their default action: the game ends without saving
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        // Signals that arrived together are one request, and once the game is closing a
        // second signal changes nothing.
        char bytes[64];
        while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
        }
        closeGame();
    });
    if (qGuiApp != nullptr) {
        QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, notifier_.get(),
                         [this](QSessionManager&) { closeGame(); });
    }
    active = this;
    qtHandler = qInstallMessageHandler(onQtMessage);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        destroyWatch_ = std::make_unique<DestroyWatch>(platform_);
        app->installNativeEventFilter(destroyWatch_.get());
    }
    wakeFd = pipe_[1];
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : quitSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

QuitRequests::~QuitRequests() {
    if (notifier_ == nullptr) {
        return;
    }
    for (const int signal : quitSignals) {
        std::signal(signal, SIG_DFL);
    }
    qInstallMessageHandler(qtHandler);
    active = nullptr;
    if (QCoreApplication* app = QCoreApplication::instance(); app != nullptr && destroyWatch_) {
        app->removeNativeEventFilter(destroyWatch_.get());
    }
    wakeFd = -1;
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void QuitRequests::displayLost() {
    platform_.displayLost();
    closing_ = false;  // a signal's request may be waiting in the pipe: the display cannot wait
    closeGame();
    // The closing path ends the process; should the game have ended already, end it here,
    // before Qt's own exit runs clean-up code that expects a display.
    std::fflush(nullptr);
    std::_Exit(1);
}

void QuitRequests::closeGame() {
    if (closing_) {
        return;
    }
    closing_ = true;
    platform_.closeWindow();
}

}  // namespace brivane

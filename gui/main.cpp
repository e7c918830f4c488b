// The desktop application: a main window and its controller. Quitting, closing the main
// window and a desktop session's SIGTERM all end through the controller's termination,
// which removes the temporary work root and the preview folder.
#include "Artwork.h"
#include "MainWindow.h"

#include "app/QuiremarkAppDelegate.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalFds[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalFds[0], &c, 1);
}

// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit on the main thread.
void installTerminationHandlers(QApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFds) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier] {
        notifier->setEnabled(false);
        char c;
        [[maybe_unused]] ssize_t n = ::read(g_signalFds[1], &c, 1);
        QApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    // Chromium's sandbox cannot start for the root user; the preview shows only local files.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Leafcraft"));
    QApplication::setOrganizationName(QStringLiteral("Pressvale"));
    QApplication::setApplicationVersion(QStringLiteral(LEAFCRAFT_VERSION));
    QApplication::setWindowIcon(leafcraft::gui::namedIcon(QStringLiteral("app")));
    QApplication::setDesktopFileName(QStringLiteral("leafcraft"));
    installTerminationHandlers(app);

    leafcraft::gui::MainWindow window;
    leafcraft::LeafcraftAppDelegate delegate(&window);
    window.setDelegate(&delegate);
    QObject::connect(&window, &leafcraft::gui::MainWindow::closing, &app, &QApplication::quit);
    bool terminated = false;
    QObject::connect(&app, &QApplication::aboutToQuit, &app, [&] {
        if (!terminated) {
            terminated = true;
            delegate.applicationWillTerminate();
        }
    });
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return app.exec();
}

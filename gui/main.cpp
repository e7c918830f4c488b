// The desktop application: a main window and its controller. Quitting, closing the main
// window and a desktop session's SIGTERM all end through the controller's termination,
// which removes the temporary work root and the preview folder.
// Options: --help, --version, --screenshot FILE, --window-screenshots FOLDER (see Screenshots.h).
#include "Artwork.h"
#include "MainWindow.h"
#include "Screenshots.h"

#include "app/AppController.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
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

// The options; --help and --version are answered by process().
void addOptions(QCommandLineParser& options, const QCommandLineOption& screenshot, const QCommandLineOption& shots)
{
    options.setApplicationDescription(QStringLiteral("Leafcraft turns a PDF into a page-flipping book."));
    options.addHelpOption();
    options.addVersionOption();
    options.addOption(screenshot);
    options.addOption(shots);
}

void setApplicationNames()
{
    QCoreApplication::setApplicationName(QStringLiteral("Leafcraft"));
    QCoreApplication::setOrganizationName(QStringLiteral("Pressvale"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEAFCRAFT_VERSION));
}

// Whether the command line asks only for the help or the version, which need no display.
bool asksForTextOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "-h" || a == "--help" || a == "-?" || a == "--help-all" || a == "-v" || a == "--version")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the main window to <file> (PNG) once the book preview is shown, then quit."),
        QStringLiteral("file"));
    const QCommandLineOption shots(
        QStringLiteral("window-screenshots"),
        QStringLiteral("Save pictures of the main window and of the import, template, publish and page editor "
                       "windows into <folder> (PNG), then quit."),
        QStringLiteral("folder"));
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication text(argc, argv);
        setApplicationNames();
        QCommandLineParser options;
        addOptions(options, screenshot, shots);
        options.process(text); // prints and exits
        return 0;
    }
    // Chromium's sandbox cannot start for the root user; the preview shows only local files.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    setApplicationNames();
    QApplication::setWindowIcon(leafcraft::gui::namedIcon(QStringLiteral("app")));
    QApplication::setDesktopFileName(QStringLiteral("leafcraft"));
    installTerminationHandlers(app);

    QCommandLineParser options;
    addOptions(options, screenshot, shots);
    options.process(app);

    leafcraft::gui::MainWindow window;
    leafcraft::AppController delegate(&window);
    window.setDelegate(&delegate);
    QObject::connect(&window, &leafcraft::gui::MainWindow::closing, &app, &QApplication::quit);
    bool terminated = false;
    QObject::connect(&app, &QApplication::aboutToQuit, &app, [&] {
        if (!terminated) {
            terminated = true;
            delegate.prepareToQuit();
        }
    });
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.launch(); });
    if (options.isSet(screenshot))
        leafcraft::gui::takeScreenshotWhenReady(window, options.value(screenshot));
    else if (options.isSet(shots))
        leafcraft::gui::takeWindowScreenshotsWhenReady(window, options.value(shots));
    return app.exec();
}

// The desktop application: a main window and its controller. Quitting, closing the main
// window and a desktop session's SIGTERM all end through the controller's termination,
// which removes the temporary work root and the preview folder.
// Options: --help, --version, --screenshot FILE (see takeScreenshotWhenReady).
#include "Artwork.h"
#include "MainWindow.h"

#include "app/QuiremarkAppDelegate.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
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

// --screenshot FILE: once the preview's book is ready (its player has laid out the pages and
// every picture has loaded), saves a picture of the main window to FILE and quits; exit code
// 1 when the preview did not become ready within a minute or the picture cannot be written.
void takeScreenshotWhenReady(leafcraft::gui::MainWindow& window, const QString& file)
{
    auto* poll = new QTimer(&window);
    poll->setInterval(250);
    auto* deadline = new QTimer(&window);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, &window, [] {
        std::fprintf(stderr, "leafcraft: the preview did not become ready; no screenshot taken\n");
        QApplication::exit(1);
    });
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, deadline, file] {
        const QString ready = QStringLiteral(
            "!!(window.LeafcraftBook && window.LeafcraftBook.readyTime"
            " && Array.from(document.images).every(function (i) { return i.complete; }))");
        window.webView()->page()->runJavaScript(ready, [&window, poll, deadline, file](const QVariant& r) {
            if (!r.toBool() || !poll->isActive())
                return;
            poll->stop();
            deadline->stop();
            // Give the page-turn animation and the compositor a moment to settle.
            QTimer::singleShot(1000, &window, [&window, file] {
                QScreen* screen = window.screen();
                const QPixmap shot = screen ? screen->grabWindow(window.winId()) : window.grab();
                if (shot.isNull() || !shot.save(file)) {
                    std::fprintf(stderr, "leafcraft: cannot write the screenshot %s\n", qPrintable(file));
                    QApplication::exit(1);
                    return;
                }
                QApplication::quit();
            });
        });
    });
    poll->start();
    deadline->start(60000);
}

// The options; --help and --version are answered by process().
void addOptions(QCommandLineParser& options, const QCommandLineOption& screenshot)
{
    options.setApplicationDescription(QStringLiteral("Leafcraft turns a PDF into a page-flipping book."));
    options.addHelpOption();
    options.addVersionOption();
    options.addOption(screenshot);
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
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication text(argc, argv);
        setApplicationNames();
        QCommandLineParser options;
        addOptions(options, screenshot);
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
    addOptions(options, screenshot);
    options.process(app);

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
    if (options.isSet(screenshot))
        takeScreenshotWhenReady(window, options.value(screenshot));
    return app.exec();
}

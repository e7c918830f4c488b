#include "Command.h"

#include "platform/Log.h"
#include "support/Error.h"
#include "support/ScratchFolders.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace leafcraft::cli {

std::vector<Command>& commandTable()
{
    static std::vector<Command> table;
    return table;
}

void out(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

void err(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
}

int exitCodeFor(const leafcraft::Error& error)
{
    switch (error.kind()) {
    case leafcraft::ErrorKind::Usage: return ExitUsage;
    case leafcraft::ErrorKind::BadInput: return ExitBadInput;
    case leafcraft::ErrorKind::Output: return ExitOutput;
    default: return ExitFailure;
    }
}

int usageError(const QString& message, const QString& command)
{
    err(QStringLiteral("leafcraft-cli: %1\n").arg(leafcraft::escapeControlCharacters(message)));
    err(QStringLiteral("Try 'leafcraft-cli %1--help'.\n").arg(command.isEmpty() ? QString() : command + QLatin1Char(' ')));
    return ExitUsage;
}

bool wantsHelp(const QStringList& args, const QStringList& valueOptions)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--"))
            return false;
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return true;
        if (valueOptions.contains(a))
            ++i; // the option's value, even "-h", is a value
    }
    return false;
}

namespace {

// TERM and INT are taken by a thread of their own: it asks the work to stop (the work unwinds
// and removes its staging and work folders itself); work that does not stop within three
// seconds (a page being converted) has its folders removed by the thread, which then exits
// with 128 + the signal. Blocked before any other thread starts, so that no other thread
// receives them.
void cleanUpOnSignals()
{
    static sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::thread([] {
        int received = 0;
        while (sigwait(&stopSignals, &received) != 0) {
        }
        leafcraft::scratch::requestStop(received);
        std::this_thread::sleep_for(std::chrono::seconds(3));
        leafcraft::scratch::removeAll();
        ::_exit(128 + received);
    }).detach();
}

// What a command printed must have reached its reader: a failed write to stdout (a full
// disk, a closed pipe) turns success into an output error.
int checkedStdout(int code)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        err(QStringLiteral("leafcraft-cli: cannot write to standard output\n"));
        return code == ExitOk ? ExitOutput : code;
    }
    return code;
}

void printHelp()
{
    out(QStringLiteral("Usage: leafcraft-cli COMMAND [OPTIONS]\n\nTurns PDF documents into page-flipping books.\n\nCommands:\n"));
    auto table = commandTable();
    std::sort(table.begin(), table.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const Command& c : table)
        out(QStringLiteral("  %1%2\n").arg(c.name.leftJustified(14)).arg(c.summary));
    out(QStringLiteral("\nRun 'leafcraft-cli COMMAND --help' for the options of a command.\n"));
}

} // namespace
} // namespace leafcraft::cli

int main(int argc, char** argv)
{
    using namespace leafcraft::cli;
    std::signal(SIGPIPE, SIG_IGN); // a closed pipe is a failed write, reported as such
    cleanUpOnSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Leafcraft"));
    // Commands print their own warnings and errors; the core's log would repeat them.
    leafcraft::log::silenceUnconfigured();
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printHelp();
        return checkedStdout(ExitOk);
    }
    for (const Command& c : commandTable()) {
        if (c.name != name)
            continue;
        try {
            const int code = c.run(args);
            if (const int stop = leafcraft::scratch::stopRequested())
                return 128 + stop;
            return checkedStdout(code);
        } catch (const leafcraft::Error& e) {
            if (const int stop = leafcraft::scratch::stopRequested()) {
                leafcraft::scratch::removeAll();
                return 128 + stop;
            }
            err(QStringLiteral("leafcraft-cli: %1\n").arg(e.text()));
            return exitCodeFor(e);
        } catch (const std::exception& e) {
            err(QStringLiteral("leafcraft-cli: internal error: %1\n").arg(QString::fromUtf8(e.what())));
            return ExitFailure;
        }
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(name));
}

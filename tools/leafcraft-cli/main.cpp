#include "Command.h"

#include "platform/Log.h"
#include "support/Error.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

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
        return ExitOk;
    }
    for (const Command& c : commandTable()) {
        if (c.name != name)
            continue;
        try {
            return c.run(args);
        } catch (const leafcraft::Error& e) {
            err(QStringLiteral("leafcraft-cli: %1\n").arg(e.text()));
            switch (e.kind()) {
            case leafcraft::ErrorKind::Usage: return ExitUsage;
            case leafcraft::ErrorKind::BadInput: return ExitBadInput;
            case leafcraft::ErrorKind::Output: return ExitOutput;
            default: return ExitFailure;
            }
        } catch (const std::exception& e) {
            err(QStringLiteral("leafcraft-cli: internal error: %1\n").arg(QString::fromUtf8(e.what())));
            return ExitFailure;
        }
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(name));
}

// The command table of leafcraft-cli. Each command lives in its own file and registers
// itself with a static CommandRegistration; main() only dispatches and maps errors to
// exit codes (0 success, 2 usage error, 3 bad input, 4 output cannot be written, 6 a book
// was written without the pages that could not be rendered: publish --keep-going).
#pragma once

#include "support/Error.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace leafcraft::cli {

enum ExitCode { ExitOk = 0, ExitFailure = 1, ExitUsage = 2, ExitBadInput = 3, ExitOutput = 4, ExitPagesLeftOut = 6 };

struct Command {
    QString name;
    QString summary;
    // Receives the arguments after the command name; returns the exit code. May throw
    // leafcraft::Error, which main() reports.
    std::function<int(const QStringList& args)> run;
};

std::vector<Command>& commandTable();

struct CommandRegistration {
    CommandRegistration(QString name, QString summary, std::function<int(const QStringList&)> run)
    {
        commandTable().push_back({std::move(name), std::move(summary), std::move(run)});
    }
};

// Prints to stdout / stderr (UTF-8).
void out(const QString& text);
void err(const QString& text);
// The exit code for an error of this kind (Usage 2, BadInput 3, Output 4, any other 1).
int exitCodeFor(const leafcraft::Error& error);
// Prints "leafcraft-cli: <message>" and the hint to use --help; returns ExitUsage.
int usageError(const QString& message, const QString& command = QString());
// Whether "-h" or "--help" is among the options in `args` (before "--"). An argument that
// follows one of `valueOptions` is that option's value, never a request for help.
bool wantsHelp(const QStringList& args, const QStringList& valueOptions = {});

} // namespace leafcraft::cli

// leafcraft-cli settings export: writes a template's (and style's) property values as a
// settings text file.
#include "Command.h"

#include "templates/Template.h"

#include <QFileInfo>

namespace leafcraft::cli {

namespace {

const char* const kSettingsHelp =
    "Usage: leafcraft-cli settings export FILE [--template NAME] [--style NAME]\n"
    "\n"
    "Writes the property values of a template, with a style applied when one is named, to the\n"
    "settings file FILE (lines \"key=value\", each preceded by a line feed and a carriage\n"
    "return). The file is replaced as a whole or not at all.\n"
    "\n"
    "Options:\n"
    "  --template NAME   the template (default: float); see 'leafcraft-cli templates'\n"
    "  --style NAME      a style of that template, applied before the export\n"
    "\n"
    "Exit codes: 0 written, 2 usage error, 3 unknown template or style, or a template that\n"
    "cannot be loaded, 4 FILE cannot be written.\n";

const QString kCommand = QStringLiteral("settings");

// The last path components of `paths`.
QStringList names(const QStringList& paths)
{
    QStringList out;
    for (const QString& path : paths)
        out << QFileInfo(path).fileName();
    out.sort();
    return out;
}

int runExport(const QStringList& args)
{
    QString file;
    QString templateName = QStringLiteral("float");
    QString styleName;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--template") || a == QLatin1String("--style")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("%1 needs a name").arg(a), kCommand);
            (a == QLatin1String("--template") ? templateName : styleName) = args[++i];
        } else if (a.startsWith(QLatin1String("--template="))) {
            templateName = a.mid(11);
        } else if (a.startsWith(QLatin1String("--style="))) {
            styleName = a.mid(8);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usageError(QStringLiteral("unknown option '%1'").arg(a), kCommand);
        } else if (file.isNull()) {
            file = a;
        } else {
            return usageError(QStringLiteral("unexpected argument '%1'").arg(a), kCommand);
        }
    }
    if (file.isEmpty())
        return usageError(QStringLiteral("settings export needs an output FILE"), kCommand);
    if (templateName.isEmpty())
        return usageError(QStringLiteral("--template needs a name"), kCommand);

    const QStringList templates = names(Template::templateNames());
    if (!templates.contains(templateName)) {
        err(QStringLiteral("leafcraft-cli: unknown template '%1' (installed: %2)\n")
                .arg(templateName, templates.isEmpty() ? QStringLiteral("none") : templates.join(QLatin1String(", "))));
        return ExitBadInput;
    }
    QString stylePath;
    if (!styleName.isNull()) {
        const QStringList styles = names(Template::styleNamesForTemplate(templateName));
        if (!styles.contains(styleName)) {
            err(QStringLiteral("leafcraft-cli: template '%1' has no style '%2' (styles: %3)\n")
                    .arg(templateName, styleName,
                         styles.isEmpty() ? QStringLiteral("none") : styles.join(QLatin1String(", "))));
            return ExitBadInput;
        }
        stylePath = Template::stylePathFor(templateName, styleName);
    }

    Template tmpl;
    bool loaded = tmpl.loadTemplate(templateName);
    if (loaded && !stylePath.isNull())
        loaded = tmpl.changeTemplateTo(templateName, stylePath);
    for (const QString& w : tmpl.warnings().texts())
        err(QStringLiteral("leafcraft-cli: warning: %1\n").arg(w));
    if (!loaded) {
        err(QStringLiteral("leafcraft-cli: template '%1' cannot be loaded\n").arg(templateName));
        return ExitBadInput;
    }

    tmpl.clearWarnings();
    if (!tmpl.exportPropertiesSettingsTo(file)) {
        for (const QString& w : tmpl.warnings().texts())
            err(QStringLiteral("leafcraft-cli: %1\n").arg(w));
        return ExitOutput;
    }
    return ExitOk;
}

int runSettings(const QStringList& args)
{
    if (args.isEmpty())
        return usageError(QStringLiteral("settings needs a subcommand (export)"), kCommand);
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h") || wantsHelp(args)) {
        out(QLatin1String(kSettingsHelp));
        return ExitOk;
    }
    if (args.first() == QLatin1String("export"))
        return runExport(args.mid(1));
    return usageError(QStringLiteral("unknown settings subcommand '%1'").arg(args.first()), kCommand);
}

const CommandRegistration registration(QStringLiteral("settings"),
                                       QStringLiteral("Export a template's property values to a settings file"),
                                       runSettings);

} // namespace

} // namespace leafcraft::cli

// leafcraft-cli templates: lists the installed templates and their styles.
#include "Command.h"

#include "platform/Platform.h"
#include "templates/Template.h"

#include <QFileInfo>

namespace leafcraft::cli {

namespace {

const char* const kTemplatesHelp =
    "Usage: leafcraft-cli templates\n"
    "\n"
    "Lists the installed templates and their styles, one line each: the template name, a tab,\n"
    "and the style name, sorted by template and then by style. A template without styles is\n"
    "listed once with nothing after the tab.\n";

int runTemplates(const QStringList& args)
{
    if (wantsHelp(args)) {
        out(QLatin1String(kTemplatesHelp));
        return ExitOk;
    }
    if (!args.isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(args.first()), QStringLiteral("templates"));

    QStringList templates;
    for (const QString& path : Template::templateNames())
        templates << QFileInfo(path).fileName();
    templates.sort();
    if (templates.isEmpty())
        err(QStringLiteral("leafcraft-cli: no templates in %1/Templates\n")
                .arg(Platform::current().resources().appFilesDir()));

    for (const QString& tmpl : templates) {
        QStringList styles;
        for (const QString& path : Template::styleNamesForTemplate(tmpl))
            styles << QFileInfo(path).fileName();
        styles.sort();
        if (styles.isEmpty())
            out(tmpl + QLatin1String("\t\n"));
        for (const QString& style : styles)
            out(tmpl + QLatin1Char('\t') + style + QLatin1Char('\n'));
    }
    return ExitOk;
}

const CommandRegistration registration(QStringLiteral("templates"), QStringLiteral("List the templates and their styles"),
                                       runTemplates);

} // namespace

} // namespace leafcraft::cli

// leafcraft-cli publish: turns a PDF into a published flip book (a PublishJob).
//
// The options live in one table (kind, names, value name, help, how to apply the value), from
// which both the parser and the help text are made; a new option is one more row.
#include "Command.h"
#include "PublishReport.h"

#include "platform/PdfDocument.h"
#include "import/PageSource.h"
#include "publish/BookFingerprint.h"
#include "publish/BookStaging.h"
#include "publish/FilePropertyCheck.h"
#include "publish/BookWriter.h"
#include "publish/AppBundleWriter.h"
#include "publish/PublishFlow.h"
#include "publish/PublishJob.h"
#include "support/Error.h"
#include "support/ScratchFolders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace leafcraft::cli {

namespace {

// Everything the command line says: the job's options and the command's own.
struct PublishCommandLine {
    PublishOptions job;
    bool timings = false;
    bool ifChanged = false;
    bool jsonReport = false;
    bool app = false;    // an application bundle instead of a web book folder
    int mobileType = -1; // with a phone version: 0 page-turning book, 1 slide viewer
};

struct PublishOption {
    QString longName;  // without "--"
    QChar shortName;   // '\0' for none
    QString valueName; // empty for a switch
    QString help;
    // Stores the value into the options; throws Error(Usage) for a bad value.
    std::function<void(PublishCommandLine&, const QString& value)> apply;
};

int parseInt(const QString& option, const QString& value, int min, int max)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < min || n > max)
        throw Error(ErrorKind::Usage, QStringLiteral("--%1 wants a whole number from %2 to %3, not '%4'")
                                          .arg(option).arg(min).arg(max).arg(value));
    return n;
}

std::vector<PublishOption>& optionTable()
{
    static std::vector<PublishOption> table = {
        {"output", 'o', "DIR", "The book folder to write (created when missing; required).",
         [](PublishCommandLine& c, const QString& v) { c.job.outputFolder = v; }},
        {"name", '\0', "NAME", "The HTML page is NAME.html (default: index).",
         [](PublishCommandLine& c, const QString& v) { c.job.name = v; }},
        {"title", '\0', "TITLE", "The HTML page title (default: the PDF's file name).",
         [](PublishCommandLine& c, const QString& v) { c.job.title = v; }},
        {"pages", '\0', "RANGE", "The pages to import, e.g. 1-3,7 (default: all).",
         [](PublishCommandLine& c, const QString& v) { c.job.pageRange = v; }},
        {"quality", '\0', "0..4", "Picture quality: 0 best (JPEG 100) to 4 smallest (JPEG 25); default 1.",
         [](PublishCommandLine& c, const QString& v) { c.job.qualityLevel = parseInt("quality", v, 0, 4); }},
        {"format", '\0', "jpg|svg|swf",
         "Page files: JPG pictures (default), SVG drawings (sharp at every zoom; a page lighter as a "
         "picture stays JPG) or SWF files holding the page's picture.",
         [](PublishCommandLine& c, const QString& v) {
             if (v == QLatin1String("jpg"))
                 c.job.format = PublishOptions::PageFormat::Jpg;
             else if (v == QLatin1String("svg"))
                 c.job.format = PublishOptions::PageFormat::Svg;
             else if (v == QLatin1String("swf"))
                 c.job.format = PublishOptions::PageFormat::Swf;
             else
                 throw Error(ErrorKind::Usage, QStringLiteral("--format wants jpg, svg or swf, not '%1'").arg(v));
         }},
        {"zoom-pictures", '\0', "", "Also make zoom pictures at twice the page pictures' size, for sharp zooming.",
         [](PublishCommandLine& c, const QString&) { c.job.zoomPictures = true; }},
        {"allow-text", '\0', "", "Publish the text even when the PDF's permissions forbid copying it.",
         [](PublishCommandLine& c, const QString&) { c.job.allowText = true; }},
        {"no-links", '\0', "", "Leave out the PDF's links.",
         [](PublishCommandLine& c, const QString&) { c.job.links = false; }},
        {"no-bookmarks", '\0', "", "Leave out the PDF's bookmarks.",
         [](PublishCommandLine& c, const QString&) { c.job.bookmarks = false; }},
        {"template", '\0', "T", "The template (default: float); see 'leafcraft-cli templates'.",
         [](PublishCommandLine& c, const QString& v) { c.job.templateName = v; }},
        {"style", '\0', "S", "A style of the template (default: none).",
         [](PublishCommandLine& c, const QString& v) { c.job.styleName = v; }},
        {"settings", '\0', "FILE", "Apply a template settings file (after the style). The files it names must lie in its folder.",
         [](PublishCommandLine& c, const QString& v) { c.job.settingsFile = v; }},
        {"allow-file", '\0', "PATH", "Let the settings file bring in PATH from outside its folder (repeatable).",
         [](PublishCommandLine& c, const QString& v) { c.job.allowedFiles << v; }},
        {"set", '\0', "KEY=VALUE", "Set a template property (after style and settings file; repeatable).",
         [](PublishCommandLine& c, const QString& v) {
             const qsizetype eq = v.indexOf(QLatin1Char('='));
             if (eq <= 0)
                 throw Error(ErrorKind::Usage, QStringLiteral("--set wants KEY=VALUE, not '%1'").arg(v));
             c.job.propertyValues.append({v.left(eq), v.mid(eq + 1)});
         }},
        {"keep-going", '\0', "", "Publish without the pages that cannot be rendered (exit code 6).",
         [](PublishCommandLine& c, const QString&) { c.job.keepGoing = true; }},
        {"page-seconds", '\0', "N", "Give up a page that takes longer than N seconds to draw (default 30).",
         [](PublishCommandLine&, const QString& v) { pdf::setPageTimeBudget(parseInt("page-seconds", v, 1, 3600)); }},
        {"page-list", '\0', "WORK/pages.xml",
         "Take links and placed items from a page list the page editor saved (files in WORK/files/editor).",
         [](PublishCommandLine& c, const QString& v) { c.job.pageList = v; }},
        {"jobs", 'j', "N", "Convert pages on N threads (default and most: one per core).",
         [](PublishCommandLine& c, const QString& v) { c.job.jobs = parseInt("jobs", v, 1, 256); }},
        {"mobile", '\0', "flip|slide", "Also write a phone version: a page-turning book or a slide viewer.",
         [](PublishCommandLine& c, const QString& v) {
             if (v == QLatin1String("flip"))
                 c.mobileType = 0;
             else if (v == QLatin1String("slide"))
                 c.mobileType = 1;
             else
                 throw Error(ErrorKind::Usage, QStringLiteral("--mobile wants flip or slide, not '%1'").arg(v));
         }},
        {"app", '\0', "", "Write a macOS application NAME.app into DIR instead of a web book folder.",
         [](PublishCommandLine& c, const QString&) { c.app = true; }},
        {"replace-old-book", '\0', "",
         "Replace a book an earlier version wrote without a file list (only the names the new book needs).",
         [](PublishCommandLine& c, const QString&) { c.job.replaceOldBook = true; }},
        {"if-changed", '\0', "",
         "Do nothing when DIR holds the book this PDF, these options, settings and template files and "
         "this version of the program make (it is up to date).",
         [](PublishCommandLine& c, const QString&) { c.ifChanged = true; }},
        {"report", '\0', "json", "Print one line of JSON on stdout when done, success or not, instead of the path.",
         [](PublishCommandLine& c, const QString& v) {
             if (v != QLatin1String("json"))
                 throw Error(ErrorKind::Usage, QStringLiteral("--report wants json, not '%1'").arg(v));
             c.jsonReport = true;
         }},
        {"timings", '\0', "", "Print how long the import and the writing took (on stderr).",
         [](PublishCommandLine& c, const QString&) { c.timings = true; }},
    };
    return table;
}

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: leafcraft-cli publish INPUT.pdf -o DIR [OPTIONS]\n"
        "\n"
        "Turns a PDF into a page-flipping book: a folder with an HTML page that opens in any\n"
        "browser. Prints the path of the HTML page (with --app, of the application).\n"
        "\n"
        "Options:\n");
    for (const PublishOption& opt : optionTable()) {
        QString names = opt.shortName.isNull() ? QStringLiteral("    ") : QStringLiteral("-%1, ").arg(opt.shortName);
        names += QStringLiteral("--") + opt.longName;
        if (!opt.valueName.isEmpty())
            names += QLatin1Char(' ') + opt.valueName;
        // A name wider than its column still gets a space before its help.
        text += QStringLiteral("  %1 %2\n").arg(names.leftJustified(25), opt.help);
    }
    text += QStringLiteral(
        "  -h, --help                Show this help.\n"
        "\n"
        "Exit status: 0 success, 2 usage error, 3 bad input (unreadable, damaged or encrypted\n"
        "PDF, pages that cannot be rendered, a range with no page of the document, unknown\n"
        "template or style), 4 the output folder cannot be written, 6 the book was written\n"
        "without the pages that could not be rendered (--keep-going; they are listed).\n"
        "With --if-changed, a book that is up to date is left as it is (exit status 0).\n");
    return text;
}

const PublishOption* findOption(const QString& arg)
{
    for (const PublishOption& opt : optionTable()) {
        if (arg.startsWith(QLatin1String("--")) && arg.mid(2) == opt.longName)
            return &opt;
        if (!opt.shortName.isNull() && arg.size() == 2 && arg[0] == QLatin1Char('-') && arg[1] == opt.shortName)
            return &opt;
    }
    return nullptr;
}

// Accepts "--name value", "--name=value", "-o value", "-oDIR", "--" (end of options) and
// exactly one INPUT.pdf.
PublishCommandLine parse(const QStringList& args)
{
    PublishCommandLine options;
    QStringList positional;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        std::optional<QString> inlineValue;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            inlineValue = arg.mid(arg.indexOf(QLatin1Char('=')) + 1);
            arg = arg.left(arg.indexOf(QLatin1Char('=')));
        } else if (!arg.startsWith(QLatin1String("--")) && arg.size() > 2) {
            inlineValue = arg.mid(2);
            arg = arg.left(2);
        }
        const PublishOption* opt = findOption(arg);
        if (!opt)
            throw Error(ErrorKind::Usage, QStringLiteral("unknown option '%1'").arg(args[i]));
        if (opt->valueName.isEmpty()) {
            if (inlineValue)
                throw Error(ErrorKind::Usage, QStringLiteral("option '%1' takes no value").arg(arg));
            opt->apply(options, QString());
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size())
                throw Error(ErrorKind::Usage, QStringLiteral("option '%1' needs a value (%2)").arg(arg, opt->valueName));
            inlineValue = args[++i];
        }
        opt->apply(options, *inlineValue);
    }
    if (positional.isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("no input PDF given"));
    if (positional.size() > 1)
        throw Error(ErrorKind::Usage, QStringLiteral("more than one input given: '%1'").arg(positional.join("', '")));
    options.job.inputPdf = positional.first();
    if (options.job.outputFolder.isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("no output folder given (-o DIR)"));
    if (options.app && options.mobileType >= 0)
        throw Error(ErrorKind::Usage, QStringLiteral("--mobile and --app cannot be combined: an application carries no phone version"));
    return options;
}

// A one-line progress bar on stderr, redrawn in place.
class ProgressBar {
public:
    explicit ProgressBar(bool enabled) : m_enabled(enabled) {}
    ~ProgressBar() { finish(); }

    void show(const PublishProgress& p)
    {
        if (!m_enabled)
            return;
        QString label;
        double fraction = 0;
        switch (p.stage) {
        case PublishProgress::Stage::Checking: label = QStringLiteral("checking"); break;
        case PublishProgress::Stage::Importing: {
            // Four import steps run over the pages one after the other.
            int step = 0;
            if (p.step == QLatin1String("geneateThumbPage"))
                step = 1;
            else if (p.step == QLatin1String("geneateNormalPage"))
                step = 3;
            else if (p.step == QLatin1String("geneatePage") && m_lastStep >= 1)
                step = 2; // the mobile pictures report as page steps
            m_lastStep = std::max(m_lastStep, step);
            step = m_lastStep;
            const double inStep = p.total > 0 ? double(p.done) / p.total : 0;
            fraction = 0.9 * (step + inStep) / 4.0;
            label = QStringLiteral("importing page %1 of %2").arg(p.done).arg(p.total);
            break;
        }
        case PublishProgress::Stage::Writing:
            fraction = 0.9;
            label = QStringLiteral("writing the book");
            break;
        case PublishProgress::Stage::Done:
            fraction = 1.0;
            label = QStringLiteral("done");
            break;
        }
        const int width = 30;
        const int filled = int(fraction * width + 0.5);
        const QString line = QStringLiteral("\r[%1%2] %3% %4")
                                 .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char(' ')))
                                 .arg(int(fraction * 100 + 0.5), 3)
                                 .arg(label.leftJustified(32));
        err(line);
        std::fflush(stderr);
        m_drawn = true;
    }

    void finish()
    {
        if (m_drawn)
            err(QStringLiteral("\n"));
        m_drawn = false;
    }

private:
    bool m_enabled;
    bool m_drawn = false;
    int m_lastStep = 0;
};

// Imports with the job, then writes the way the publish dialog does (PublishFlow): a web book
// folder with its phone version, or an application bundle. Nothing in DIR is removed.
// Every file from outside that goes into the book is named on stderr before it is copied.
void listOutsideFiles(const PublishJob& job)
{
    for (const OutsideFile& f : outsideFiles(*job.bookTemplate()))
        err(QStringLiteral("leafcraft-cli: copying %1 into the book (property %2)\n").arg(f.path, f.key));
}

QString publishThroughFlow(PublishJob& job, const PublishCommandLine& options, std::vector<Warning>& warnings,
                           const std::function<void()>& imported)
{
    job.import();
    imported();
    const PublishOptions& o = job.options();
    PublishFlow flow(job.pageSource(), job.bookTemplate(), job.pageLinks(), job.outline());
    flow.setSettings(&job.settings());
    QString bookFolder;
    flow.setWriterSetup([&](BookWriter& writer) {
        job.setUpWriter(writer);
        bookFolder = writer.saveToFolder();
    });
    PublishChoices choices;
    choices.folder = o.outputFolder;
    choices.name = o.name;
    choices.title = o.title.isEmpty() ? QFileInfo(o.inputPdf).completeBaseName() : o.title;
    choices.outputType = options.app ? 1 : 0;
    choices.createMobile = options.mobileType >= 0 ? 1 : 0;
    choices.mobileType = std::max(options.mobileType, 0);
    // --replace-old-book is the answer the application's overwrite question would get.
    const QString result = flow.publish(choices, [&o](const QString&) {
        return o.replaceOldBook ? OverwriteAnswer::Yes : OverwriteAnswer::Other;
    });
    for (const Warning& w : flow.warnings().list()) {
        err(QStringLiteral("leafcraft-cli: warning: %1\n").arg(w.text()));
        warnings.push_back(w);
    }
    return QFileInfo(result).absoluteFilePath();
}

// Where the book keeps its manifest: the folder that receives the book as a whole (the output
// folder), and the manifest's path in it (inside the bundle with --app).
std::pair<QString, QString> manifestLocation(const PublishCommandLine& options)
{
    const PublishOptions& o = options.job;
    if (options.app) {
        const AppBundleWriter writer(nullptr, nullptr, o.outputFolder, PublishFlow::bookFileName(o.name));
        return {writer.bookRoot(), writer.manifestPath()};
    }
    return {o.outputFolder, BookStaging::manifestName()};
}

// The file the publish offers to open: the HTML page, or the bundle with --app.
QString bookEntry(const PublishCommandLine& options)
{
    const PublishOptions& o = options.job;
    const QString file = PublishFlow::bookFileName(o.name);
    return QFileInfo(QDir(o.outputFolder).filePath(options.app ? AppBundleWriter::bundleNameFor(file) : file))
        .absoluteFilePath();
}

// What the writer is asked for beyond the job's options, as it goes into the fingerprint.
QStringList writerChoices(const PublishCommandLine& options)
{
    QStringList choices;
    if (options.app)
        choices << QStringLiteral("application bundle");
    if (options.mobileType >= 0)
        choices << QStringLiteral("phone version %1").arg(options.mobileType);
    return choices;
}

// A refusal in front of a book an earlier version wrote says how to replace it.
Error withOldBookHint(const Error& e, const PublishOptions& o)
{
    const QDir out(o.outputFolder);
    if (e.kind() == ErrorKind::Output && !o.replaceOldBook &&
        QFileInfo(out.filePath(QStringLiteral("files/config.xml"))).isFile() &&
        !QFileInfo(out.filePath(BookStaging::manifestName())).exists())
        return Error(e.kind(),
                     e.message() + QStringLiteral(" (this looks like a book an earlier version wrote: "
                                                  "--replace-old-book replaces it)"),
                     e.where());
    return e;
}

// Whether the arguments ask for a JSON report, read before they are parsed: a command line
// that cannot be parsed is reported too.
bool asksForJsonReport(const QStringList& args)
{
    for (qsizetype i = 0; i < args.size() && args[i] != QLatin1String("--"); ++i)
        if (args[i] == QLatin1String("--report=json") ||
            (args[i] == QLatin1String("--report") && i + 1 < args.size() && args[i + 1] == QLatin1String("json")))
            return true;
    return false;
}

// Whether the book is up to date, seen under the folder's publish lock once what an
// interrupted publish left there is cleared (a publish killed after its book was swapped in
// leaves its previous book beside it); without the lock where it cannot be had.
bool upToDate(const QString& root, const QString& manifest, const QString& fingerprint)
{
    if (!QFileInfo(root + QLatin1Char('/') + manifest).isFile())
        return false;
    BookStaging staging(root, manifest);
    try {
        staging.begin();
    } catch (const Error&) {
    }
    return bookIsUpToDate(root, manifest, fingerprint);
}

// Publishes (or finds the book up to date) and fills in the report; throws Error.
void publishBook(PublishJob& job, const PublishCommandLine& options, PublishReport& report,
                 const std::function<void()>& imported, const std::function<void()>& flowDone)
{
    job.prepare();
    const auto [root, manifest] = manifestLocation(options);
    report.fingerprint = job.fingerprint(writerChoices(options));
    job.setFingerprint(report.fingerprint);
    if (options.ifChanged && upToDate(root, manifest, report.fingerprint)) {
        report.result = PublishReport::upToDate();
        report.htmlPage = bookEntry(options);
        return;
    }
    listOutsideFiles(job);
    if (options.app || options.mobileType >= 0) {
        report.htmlPage = publishThroughFlow(job, options, report.warnings, imported);
        flowDone();
    } else {
        job.import();
        // Timed writing starts with the import's files on disk, so that it measures the
        // writer and not the flushing of what the import left in memory.
        if (options.timings)
            ::sync();
        report.htmlPage = job.write();
    }
    report.result = PublishReport::written();
    report.pagesWritten = job.pageSource() ? int(job.pageSource()->pages().size()) : 0;
    report.pagesLeftOut = job.leftOutPages();
    report.bytesWritten = bookBytes(root, manifest);
    report.exitStatus = job.leftOutPages().empty() ? ExitOk : ExitPagesLeftOut;
}

// "leafcraft-cli: 2 of 40 pages are pictures instead of drawings: 1 lighter as a picture, ..."
void reportPictureFallbacks(const PublishJob& job)
{
    int total = 0;
    QStringList reasons;
    for (const auto& [reason, count] : job.pictureFallbacks()) {
        total += count;
        reasons << QStringLiteral("%1 %2").arg(count).arg(reason);
    }
    if (total == 0 || !job.pageSource())
        return;
    err(QStringLiteral("leafcraft-cli: %1 of %2 pages are pictures instead of drawings: %3\n")
            .arg(total)
            .arg(job.pageSource()->pages().size())
            .arg(reasons.join(QStringLiteral(", "))));
}

int runPublish(const QStringList& args)
{
    QStringList valueOptions;
    for (const PublishOption& opt : optionTable()) {
        if (opt.valueName.isEmpty())
            continue;
        valueOptions << QStringLiteral("--") + opt.longName;
        if (!opt.shortName.isNull())
            valueOptions << QStringLiteral("-") + opt.shortName;
    }
    if (wantsHelp(args, valueOptions)) {
        out(helpText());
        return ExitOk;
    }
    QElapsedTimer clock;
    clock.start();
    PublishReport report;
    const auto finish = [&report, &clock](bool json) {
        report.seconds = double(clock.nsecsElapsed()) / 1e9;
        if (json)
            std::fputs(report.toJson().constData(), stdout);
        return report.exitStatus;
    };
    PublishCommandLine options;
    try {
        options = parse(args);
    } catch (const Error& e) {
        const int code = usageError(e.message(), QStringLiteral("publish"));
        report.result = PublishReport::failed();
        report.exitStatus = code;
        report.message = e.message();
        return finish(asksForJsonReport(args));
    }
    report.input = QFileInfo(options.job.inputPdf).absoluteFilePath();
    report.outputFolder = QFileInfo(options.job.outputFolder).absoluteFilePath();

    PublishJob job(options.job);
    ProgressBar bar(isatty(fileno(stderr)) != 0);
    qint64 importStart = 0, writeStart = 0, done = 0;
    job.setProgressHandler([&](const PublishProgress& p) {
        bar.show(p);
        if (p.stage == PublishProgress::Stage::Importing && importStart == 0)
            importStart = clock.nsecsElapsed();
        else if (p.stage == PublishProgress::Stage::Writing)
            writeStart = clock.nsecsElapsed();
        else if (p.stage == PublishProgress::Stage::Done)
            done = clock.nsecsElapsed();
    });
    try {
        // The flow writes without the job's writing and done stages: those times are taken here.
        publishBook(job, options, report, [&] { writeStart = clock.nsecsElapsed(); }, [&] { done = clock.nsecsElapsed(); });
    } catch (const Error& e) {
        bar.finish();
        const Error shown = withOldBookHint(e, options.job);
        if (!options.jsonReport)
            throw shown; // main() prints it and maps its kind to the exit code
        err(QStringLiteral("leafcraft-cli: %1\n").arg(shown.text()));
        const int stop = scratch::stopRequested();
        report.result = PublishReport::failed();
        report.exitStatus = stop ? 128 + stop : exitCodeFor(shown);
        report.message = shown.text();
        report.warnings.insert(report.warnings.begin(), job.warnings().list().begin(), job.warnings().list().end());
        return finish(true);
    } catch (const std::exception& e) {
        bar.finish();
        if (!options.jsonReport)
            throw;
        err(QStringLiteral("leafcraft-cli: internal error: %1\n").arg(QString::fromUtf8(e.what())));
        report.result = PublishReport::failed();
        report.exitStatus = ExitFailure;
        report.message = QStringLiteral("internal error: %1").arg(QString::fromUtf8(e.what()));
        return finish(true);
    }
    bar.finish();
    if (options.timings && report.result == PublishReport::written())
        err(QStringLiteral("timings: import %1 ns, write %2 ns\n").arg(writeStart - importStart).arg(done - writeStart));
    for (const Warning& w : job.warnings().list())
        err(QStringLiteral("leafcraft-cli: warning: %1\n").arg(w.text()));
    report.warnings.insert(report.warnings.begin(), job.warnings().list().begin(), job.warnings().list().end());
    if (report.result == PublishReport::written())
        reportPictureFallbacks(job);
    if (!options.jsonReport) {
        if (report.result == PublishReport::upToDate())
            err(QStringLiteral("leafcraft-cli: the book in %1 is up to date\n").arg(report.outputFolder));
        out(report.htmlPage + QLatin1Char('\n'));
    }
    return finish(options.jsonReport);
}

const CommandRegistration registration(QStringLiteral("publish"), QStringLiteral("Turn a PDF into a flip book"),
                                       runPublish);

} // namespace

} // namespace leafcraft::cli

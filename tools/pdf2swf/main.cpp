// pdf2swf: renders one page of a PDF into a one-frame SWF movie holding the page as a JPEG.
//
//   pdf2swf -oOUT.swf "-p N-N" "-s jpegquality=Q" -t -G -qq "-s flashversion=8"
//           "-s disablelinks" "-s zoom=DPI" -- FILE.pdf
//
// Options may also be given with their value as the next argument ("-o OUT.swf"). Every
// argument after "--" is a file, even one that starts with "-". The page
// is rendered at DPI dots per inch (72 = one pixel per point) and the movie's frame is the
// picture's size in pixels. -t, -G and -q/-qq are accepted for compatibility; links are
// never written. Exit codes: 0 done, 2 bad call, 3 unusable PDF or page, 4 output failed.
#include "import/PdfPageConverter.h"
#include "import/SwfFile.h"
#include "platform/JpegEncoder.h"
#include "platform/PdfDocument.h"
#include "support/Error.h"

#include <QStringList>

#include <cstdio>

using namespace leafcraft;

namespace {

const char* const kUsage =
    "Usage: pdf2swf -oOUT.swf -p N-N [-s jpegquality=Q] [-s zoom=DPI] [-s flashversion=V]\n"
    "               [-s disablelinks] [-t] [-G] [-qq] [--] FILE.pdf\n"
    "Renders page N of FILE.pdf at DPI dots per inch (default 72) as a JPEG of quality Q\n"
    "(default 85) and writes it as a one-frame SWF movie to OUT.swf. A page too large for\n"
    "the picture size limit is rendered smaller, with a warning. Arguments after -- are files.\n";

struct Options {
    QString pdf;
    QString output;
    int page = 0;
    int quality = 85;
    int zoom = 72;
    int version = 8;
    bool quiet = false;
};

int fail(ErrorKind kind, const QString& message)
{
    std::fprintf(stderr, "pdf2swf: %s\n", escapeControlCharacters(message).toLocal8Bit().constData());
    if (kind == ErrorKind::Usage)
        std::fputs("Try 'pdf2swf -h'.\n", stderr);
    return int(kind);
}

int number(const QString& text, const QString& what, int low, int high)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        throw Error(ErrorKind::Usage, QStringLiteral("%1 must be a number from %2 to %3, not '%4'").arg(what).arg(low).arg(high).arg(text));
    return value;
}

void setting(Options& o, const QString& text)
{
    const QString key = text.section(QLatin1Char('='), 0, 0).trimmed();
    const QString value = text.section(QLatin1Char('='), 1);
    if (key == QLatin1String("jpegquality"))
        o.quality = number(value, key, 1, 100);
    else if (key == QLatin1String("zoom"))
        o.zoom = number(value, key, 9, 2400);
    else if (key == QLatin1String("flashversion"))
        o.version = number(value, key, 1, 40);
    else if (key == QLatin1String("disablelinks"))
        ; // links are never written
    else if (!o.quiet)
        std::fprintf(stderr, "pdf2swf: ignoring unknown setting '%s'\n", text.toLocal8Bit().constData());
}

void pageRange(Options& o, const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('-'));
    if (parts.size() > 2 || parts[0].isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("the page range '%1' is not N or N-N").arg(text));
    const int first = number(parts[0], QStringLiteral("the page"), 1, 1000000000);
    if (parts.size() == 2 && number(parts[1], QStringLiteral("the page"), 1, 1000000000) != first)
        throw Error(ErrorKind::Usage, QStringLiteral("only one page can be converted at a time, not '%1'").arg(text));
    o.page = first;
}

Options parse(const QStringList& args)
{
    Options o;
    const qsizetype end = args.contains(QLatin1String("--")) ? args.indexOf(QLatin1String("--")) : args.size();
    for (qsizetype i = 0; i < end; ++i)
        if (args[i] == QLatin1String("-q") || args[i] == QLatin1String("-qq"))
            o.quiet = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i >= end) {
            if (i == end)
                continue; // the "--" itself
            if (!o.pdf.isEmpty())
                throw Error(ErrorKind::Usage, QStringLiteral("more than one PDF given ('%1', '%2')").arg(o.pdf, a));
            o.pdf = a;
            continue;
        }
        auto value = [&](const char* option) {
            QString rest = a.mid(2).trimmed();
            if (!rest.isEmpty())
                return rest;
            if (i + 1 >= args.size())
                throw Error(ErrorKind::Usage, QStringLiteral("%1 needs a value").arg(QLatin1String(option)));
            return args[++i];
        };
        if (i > end)
            ;
        else if (a.startsWith(QLatin1String("-o")))
            o.output = a.size() > 2 ? a.mid(2) : value("-o");
        else if (a.startsWith(QLatin1String("-p")))
            pageRange(o, value("-p"));
        else if (a.startsWith(QLatin1String("-s")))
            setting(o, value("-s"));
        else if (a == QLatin1String("-t") || a == QLatin1String("-G") || a == QLatin1String("-q") || a == QLatin1String("-qq"))
            ;
        else if (a.startsWith(QLatin1Char('-')) && a.size() > 1)
            throw Error(ErrorKind::Usage, QStringLiteral("unknown option '%1'").arg(a));
        else if (o.pdf.isEmpty())
            o.pdf = a;
        else
            throw Error(ErrorKind::Usage, QStringLiteral("more than one PDF given ('%1', '%2')").arg(o.pdf, a));
    }
    if (o.pdf.isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("no PDF file given"));
    if (o.output.isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("no output file given (-oOUT.swf)"));
    if (o.page == 0)
        throw Error(ErrorKind::Usage, QStringLiteral("no page given (-p N-N)"));
    return o;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QStringList options = args.mid(0, args.contains(QLatin1String("--")) ? args.indexOf(QLatin1String("--")) : args.size());
    if (options.contains(QLatin1String("-h")) || options.contains(QLatin1String("--help"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        const Options o = parse(args);
        auto doc = pdf::openDocument(o.pdf);
        if (o.page > doc->pageCount())
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("page %1 does not exist (the PDF has %2 pages)").arg(o.page).arg(doc->pageCount()),
                        o.pdf);
        double w = 0, h = 0;
        doc->displaySize(o.page - 1, &w, &h);
        const QSize full(PdfPageConverter::pixels(w, o.zoom), PdfPageConverter::pixels(h, o.zoom));
        QSize size = full;
        pdf::fitToRenderLimit(&size.rwidth(), &size.rheight());
        if (size != full && !o.quiet)
            std::fprintf(stderr, "pdf2swf: page %d is too large to render at %d x %d pixels; rendered at %d x %d\n",
                         o.page, full.width(), full.height(), size.width(), size.height());
        const pdf::Bitmap picture = doc->render(o.page - 1, size.width(), size.height());
        for (const QString& problem : picture.problems)
            if (!o.quiet)
                std::fprintf(stderr, "pdf2swf: page %d: %s\n", o.page, escapeControlCharacters(problem).toLocal8Bit().constData());
        SwfFile::write(o.output, JpegEncoder::encode(picture, o.quality), size.width(), size.height(), o.version);
        return 0;
    } catch (const Error& e) {
        return fail(e.kind() == ErrorKind::Internal ? ErrorKind::BadInput : e.kind(), e.text());
    } catch (const std::exception& e) {
        return fail(ErrorKind::Internal, QString::fromUtf8(e.what()));
    }
}

#include "import/PdfPageConverter.h"

#include "support/BookSettings.h"
#include "support/SaveFile.h"
#include "import/SwfFile.h"
#include "platform/ImageScaler.h"
#include "platform/JpegDecoder.h"
#include "platform/JpegEncoder.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "support/FileUtility.h"
#include "support/ScratchFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace leafcraft {

namespace {

// A page tool that has not finished after this long is taken as hung.
constexpr int kToolTimeoutMs = 5 * 60 * 1000;

void storePageSize(int width, int height)
{
    BookSettings& settings = BookSettings::shared();
    settings.setPageWidth(width);
    settings.setPageHeight(height);
}

// The leading decimal integer of a text, blanks before it skipped; 0 when there is none.
int leadingInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    qint64 value = 0;
    while (i < text.size() && text[i].isDigit() && value < 1000000000)
        value = value * 10 + text[i++].digitValue();
    return int(negative ? -value : value);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    saveFile(path, bytes, QStringLiteral("the page file"));
}

// Looks for a page tool: in the resource folder "lib", beside the running program (and in
// its "lib" folder), and in the build tree's tool folders next to the program's folder.
QString findTool(const QString& name)
{
    const QString resourcesLib = Platform::current().resources().path(QStringLiteral("lib/") + name);
    const QString exe = executableDir();
    const QStringList candidates = {
        resourcesLib,
        exe + QLatin1String("/lib/") + name,
        exe + QLatin1Char('/') + name,
        exe + QLatin1String("/../") + name + QLatin1Char('/') + name,
        exe + QLatin1String("/../tools/") + name + QLatin1Char('/') + name,
    };
    for (const QString& c : candidates) {
        QFileInfo info(c);
        if (info.isFile() && info.isExecutable())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return resourcesLib;
}

struct ToolRun {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

// Starts a page tool with posix_spawn (no copy of this process's memory map, unlike a
// fork, which matters when a tool runs for every page), collects its output and waits.
// Throws Error(Internal) when the tool cannot be started.
ToolRun runTool(const QString& program, const QStringList& arguments)
{
    const QByteArray exe = QFile::encodeName(program);
    std::vector<QByteArray> args{exe};
    for (const QString& a : arguments)
        args.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            if (fd >= 0)
                ::close(fd);
        throw Error(ErrorKind::Internal, QStringLiteral("no pipe for the page tool (%1)").arg(QString::fromLocal8Bit(std::strerror(errno))), program);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, exe.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (spawned != 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        throw Error(ErrorKind::Internal,
                    QStringLiteral("the page tool cannot be started (%1)").arg(QString::fromLocal8Bit(std::strerror(spawned))),
                    program);
    }

    ToolRun run;
    constexpr qsizetype kMaxOutput = 1 << 20; // a tool that chatters without end is cut off
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    bool timedOut = false;
    QElapsedTimer timer;
    timer.start();
    char buffer[16384];
    while (open > 0) {
        const qint64 left = kToolTimeoutMs - timer.elapsed();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        const int ready = ::poll(fds, 2, int(left));
        if (ready < 0 && errno != EINTR)
            break;
        for (pollfd& p : fds) {
            if (p.fd < 0 || p.revents == 0)
                continue;
            const ssize_t got = ::read(p.fd, buffer, sizeof buffer);
            if (got > 0) {
                QByteArray& sink = &p == &fds[0] ? run.out : run.err;
                if (sink.size() < kMaxOutput)
                    sink.append(buffer, qsizetype(got));
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                ::close(p.fd);
                p.fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0)
            ::close(p.fd);
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) {
        run.crashed = true;
        run.err = "the tool did not finish in time";
        return run;
    }
    run.crashed = !WIFEXITED(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

PdfPageConverter::PdfPageConverter(QString pdfPath, std::shared_ptr<pdf::Document> pdfDocument, int quality)
    : PageConverter(std::move(pdfPath), std::move(pdfDocument), quality)
{
    m_dpi = 144;
    m_converterWorkFolder = FileUtility::makePrivateTempFolder(QStringLiteral("Sheetwise"));
}

PdfPageConverter::~PdfPageConverter()
{
    removeWorkFolder();
}

void PdfPageConverter::removeWorkFolder()
{
    if (!m_converterWorkFolder.isEmpty() && QFileInfo(m_converterWorkFolder).isDir())
        QDir(m_converterWorkFolder).removeRecursively();
    scratch::forget(m_converterWorkFolder);
}

QString PdfPageConverter::path(const QString& name) const
{
    return m_converterWorkFolder + QLatin1Char('/') + name;
}

QString PdfPageConverter::thumbName(int pageNumber) const
{
    return timeStamp(Platform::current().clock().now()) + QString::number(pageNumber) + QLatin1String(".jpg");
}

QString PdfPageConverter::timeStamp(const QDateTime& time)
{
    int weekYear = 0;
    time.date().weekNumber(&weekYear);
    auto two = [](int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); };
    return two(time.date().day()) + two(time.date().month()) + two(((weekYear % 100) + 100) % 100)
        + two(time.time().hour()) + two(time.time().minute()) + two(time.time().second());
}

QSize PdfPageConverter::thumbSize(double w, double h)
{
    if (!(w > 0) || !(h > 0))
        return QSize(kThumbBox, kThumbBox);
    if (w > h)
        return QSize(kThumbBox, std::max(1, int(std::trunc(h * kThumbBox / w))));
    return QSize(std::max(1, int(std::trunc(w * kThumbBox / h))), kThumbBox);
}

QSize PdfPageConverter::phonePictureSize(QSize page)
{
    if (page.isEmpty())
        return QSize();
    const bool wide = page.width() > page.height();
    const QSize box = wide ? QSize(kPhoneHeight, kPhoneWidth) : QSize(kPhoneWidth, kPhoneHeight);
    const QSize fitted = page.scaled(box, Qt::KeepAspectRatio).boundedTo(page);
    if (qint64(fitted.width()) * fitted.height() * 3 > qint64(page.width()) * page.height())
        return QSize();
    return fitted.expandedTo(QSize(1, 1));
}

QByteArray PdfPageConverter::phonePicture(const QByteArray& pageJpeg) const
{
    int w = 0, h = 0;
    if (!JpegDecoder::readSize(pageJpeg, &w, &h))
        return pageJpeg;
    const QSize phone = phonePictureSize(QSize(w, h));
    if (phone.isEmpty())
        return pageJpeg;
    const pdf::Bitmap reduced = JpegDecoder::decode(pageJpeg, phone.width(), phone.height());
    return JpegEncoder::encode(ImageScaler::scale(reduced, phone.width(), phone.height()), m_quality);
}

QSize PdfPageConverter::pictureSize(int pageNumber, double w, double h, Warnings* warnings) const
{
    const QSize full(pixels(w, m_dpi), pixels(h, m_dpi));
    QSize fitted = full;
    pdf::fitToRenderLimit(&fitted.rwidth(), &fitted.rheight());
    if (fitted != full && warnings)
        warnings->add(QStringLiteral("page %1").arg(pageNumber),
                      QStringLiteral("too large to render at full size (%1 x %2 pixels); rendered at %3 x %4 pixels")
                          .arg(full.width()).arg(full.height()).arg(fitted.width()).arg(fitted.height()));
    return fitted;
}

int PdfPageConverter::indexAfterBar(int length, const QString& str)
{
    const qsizetype n = std::min<qsizetype>(std::max(0, length), str.size());
    for (qsizetype i = 0; i < n; ++i)
        if (str[i] == QLatin1Char('|'))
            return int(i + 1);
    return 0;
}

QString PdfPageConverter::pdf2swfToolPath()
{
    return findTool(QStringLiteral("pdf2swf"));
}

QString PdfPageConverter::swfSizeToolPath()
{
    return findTool(QStringLiteral("getswfSize"));
}

PageFormat PdfPageConverter::importFormat()
{
    switch (BookSettings::shared().importType()) {
    case 0: return PageFormat::Swf;
    case 2: return PageFormat::Svg;
    default: return PageFormat::Jpg;
    }
}

int PdfPageConverter::importType(PageFormat format)
{
    switch (format) {
    case PageFormat::Swf: return 0;
    case PageFormat::Svg: return 2;
    case PageFormat::Jpg: break;
    }
    return 1;
}

void PdfPageConverter::checkPage(const pdf::Document* doc, int pageNumber) const
{
    if (doc && (pageNumber < 1 || pageNumber > doc->pageCount()))
        throw Error(ErrorKind::BadInput,
                    QStringLiteral("page %1 does not exist (the PDF has %2 pages)").arg(pageNumber).arg(doc->pageCount()),
                    m_pdfPath);
}

bool PdfPageConverter::isSizePage(int pageNumber)
{
    const int sizePage = m_sizePage.load();
    if (sizePage > 0)
        return sizePage == pageNumber;
    return !m_sizeMeasured.exchange(true);
}

PdfPageConverter::Rendered PdfPageConverter::renderPage(const pdf::Document& doc, int pageNumber,
                                                                const Wanted& wanted, Warnings& warnings) const
{
    Rendered out;
    try {
        double w = 0, h = 0;
        doc.displaySize(pageNumber - 1, &w, &h);
        pdf::RenderRequest request;
        request.vector = wanted.vector;
        if (wanted.pageJpeg || wanted.zoom) {
            const QSize size = pictureSize(pageNumber, w, h, &warnings);
            request.width = size.width();
            request.height = size.height();
        }
        request.large = wanted.zoom;
        request.text = wanted.text;
        if (wanted.thumb) {
            // Drawn small from the same reading: cheaper than reducing the page picture.
            const QSize thumb = thumbSize(w * 2, h * 2);
            request.thumbWidth = thumb.width();
            request.thumbHeight = thumb.height();
        }
        pdf::RenderedPage page = doc.renderPage(pageNumber - 1, request);
        if (wanted.pageJpeg)
            out.pageJpeg = JpegEncoder::encode(page.picture, m_quality);
        if (wanted.thumb)
            out.thumbJpeg = JpegEncoder::encode(page.thumb, m_quality);
        if (wanted.zoom && page.large.width > 0)
            out.zoomJpeg = JpegEncoder::encode(page.large, m_quality);
        if (!page.picture.problems.isEmpty())
            warnings.add(QStringLiteral("page %1").arg(pageNumber),
                         QStringLiteral("drawn despite errors in the file: %1").arg(page.picture.problems.mid(0, 3).join(QStringLiteral("; "))));
        out.text = std::move(page.text);
        out.svg = std::move(page.svg);
    } catch (const Error& e) {
        if (e.kind() == ErrorKind::Output)
            throw;
        warnings.add(QStringLiteral("page %1").arg(pageNumber), e.message());
        LC_WARN(QStringLiteral("page %1 of %2 cannot be rendered: %3").arg(pageNumber).arg(m_pdfPath, e.text()));
    }
    return out;
}

ConvertedPage PdfPageConverter::convertPage(int pageNumber, PageFormat format, const pdf::Document* document)
{
    const pdf::Document* doc = document ? document : m_pdfDocument.get();
    checkPage(doc, pageNumber);

    ConvertedPage result;
    result.pageNumber = pageNumber;
    result.page = path(QString::number(pageNumber) + (format == PageFormat::Swf ? QLatin1String(".swf") : QLatin1String(".jpg")));
    result.thumb = path(thumbName(pageNumber));
    result.mobile = path(QString::number(pageNumber) + QLatin1String("_mobile.jpg"));
    if (m_zoomPictures)
        result.zoom = path(QString::number(pageNumber) + QLatin1String("_zoom.jpg"));
    const QString where = QStringLiteral("page %1").arg(pageNumber);
    auto facts = std::make_shared<PageFacts>();
    facts->textWithheld = !m_textWanted;
    if (doc)
        doc->displaySize(pageNumber - 1, &facts->width, &facts->height);

    if (format == PageFormat::Svg) {
        if (!doc) {
            result.warnings.add(where, QStringLiteral("the PDF is not open; no pictures were made"));
            return result;
        }
        convertVectorPage(*doc, pageNumber, result, *facts);
        result.facts = std::move(facts);
        return result;
    }

    Rendered rendered;
    if (format == PageFormat::Swf) {
        const QString problem = generatePageToSwf(pageNumber, result.page);
        if (!problem.isNull())
            result.warnings.add(where, problem);
        // The movie holds the page rendered exactly as the mobile picture wants it: reuse it
        // instead of rendering the page a second time.
        if (QFileInfo::exists(result.page)) {
            try {
                rendered.pageJpeg = SwfFile::extractJpeg(result.page);
                int pw = 0, ph = 0;
                JpegDecoder::readSize(rendered.pageJpeg, &pw, &ph);
                const QSize thumb = doc ? thumbSize(facts->width * 2, facts->height * 2) : thumbSize(pw, ph);
                const pdf::Bitmap reduced = JpegDecoder::decode(rendered.pageJpeg, thumb.width(), thumb.height());
                rendered.thumbJpeg =
                    JpegEncoder::encode(ImageScaler::scale(reduced, thumb.width(), thumb.height()), m_quality);
            } catch (const Error& e) {
                LC_DEBUG(QStringLiteral("%1: the picture of %2 is not reused: %3").arg(where, result.page, e.text()));
                rendered = Rendered();
            }
        }
    }
    Wanted wanted;
    wanted.thumb = rendered.thumbJpeg.isEmpty();
    wanted.pageJpeg = wanted.thumb && (format == PageFormat::Jpg || !QFileInfo::exists(result.mobile));
    wanted.zoom = m_zoomPictures && !QFileInfo::exists(result.zoom);
    wanted.text = m_textWanted;
    if (wanted.thumb || wanted.zoom || wanted.text) {
        if (!doc) {
            result.warnings.add(where, QStringLiteral("the PDF is not open; no pictures were made"));
            return result;
        }
        Rendered more = renderPage(*doc, pageNumber, wanted, result.warnings);
        if (wanted.thumb) {
            rendered.thumbJpeg = std::move(more.thumbJpeg);
            rendered.pageJpeg = std::move(more.pageJpeg);
        }
        rendered.zoomJpeg = std::move(more.zoomJpeg);
        facts->text = std::move(more.text);
    }
    if (format == PageFormat::Jpg && !rendered.pageJpeg.isEmpty() && !QFileInfo::exists(result.page))
        writeFile(result.page, rendered.pageJpeg);
    if (!rendered.thumbJpeg.isEmpty())
        writeFile(result.thumb, rendered.thumbJpeg);
    if (!rendered.pageJpeg.isEmpty() && !QFileInfo::exists(result.mobile))
        writeFile(result.mobile, phonePicture(rendered.pageJpeg));
    if (!rendered.zoomJpeg.isEmpty())
        writeFile(result.zoom, rendered.zoomJpeg);
    result.facts = std::move(facts);
    return result;
}

QString PdfPageConverter::generatePage(int pageNumber)
{
    const PageFormat format = importFormat();
    // Convert the whole page now; its thumbnail waits in memory (a few kilobytes) for
    // generateThumbPage, which names it with the time of that call.
    ConvertedPage page = convertPage(pageNumber, format);
    for (const Warning& w : page.warnings.list())
        LC_WARN(w.text());
    if (QFileInfo::exists(page.thumb)) {
        QFile thumb(page.thumb);
        if (thumb.open(QIODevice::ReadOnly)) {
            std::lock_guard lock(m_pendingMutex);
            m_pendingThumbs.insert(pageNumber, thumb.readAll());
        }
        thumb.close();
        QFile::remove(page.thumb);
    }
    return page.page;
}

QString PdfPageConverter::generateThumbPage(int pageNumber)
{
    const QString file = path(thumbName(pageNumber));
    QByteArray pending;
    {
        std::lock_guard lock(m_pendingMutex);
        pending = m_pendingThumbs.take(pageNumber);
    }
    if (!pending.isEmpty())
        writeFile(file, pending);
    else
        pdfPageToThumbnail(pageNumber, file);
    return file;
}

QString PdfPageConverter::generateMobilePage(int pageNumber)
{
    const QString file = path(QString::number(pageNumber) + QLatin1String("_mobile.jpg"));
    if (QFileInfo::exists(file) || !m_pdfDocument)
        return file;
    const QByteArray picture = pagePicture(pageNumber);
    if (!picture.isEmpty())
        writeFile(file, phonePicture(picture));
    return file;
}

void PdfPageConverter::pdfPageToImage(int pageNumber, const QString& file)
{
    const QByteArray picture = pagePicture(pageNumber);
    if (!picture.isEmpty())
        writeFile(file, picture);
}

QByteArray PdfPageConverter::pagePicture(int pageNumber) const
{
    if (!m_pdfDocument)
        return QByteArray();
    checkPage(m_pdfDocument.get(), pageNumber);
    double w = 0, h = 0;
    try {
        m_pdfDocument->displaySize(pageNumber - 1, &w, &h);
        Warnings warnings;
        const QSize size = pictureSize(pageNumber, w, h, &warnings);
        const pdf::Bitmap page = m_pdfDocument->render(pageNumber - 1, size.width(), size.height());
        for (const Warning& warning : warnings.list())
            LC_WARN(warning.text());
        return JpegEncoder::encode(page, m_quality);
    } catch (const Error& e) {
        if (e.kind() == ErrorKind::Output)
            throw;
        LC_WARN(QStringLiteral("page %1 of %2 cannot be rendered: %3").arg(pageNumber).arg(m_pdfPath, e.text()));
    }
    return QByteArray();
}

void PdfPageConverter::pdfPageToThumbnail(int pageNumber, const QString& file)
{
    if (!m_pdfDocument)
        return;
    checkPage(m_pdfDocument.get(), pageNumber);
    Warnings warnings;
    Wanted wanted;
    wanted.thumb = true;
    const Rendered r = renderPage(*m_pdfDocument, pageNumber, wanted, warnings);
    if (!r.thumbJpeg.isEmpty())
        writeFile(file, r.thumbJpeg);
}

QString PdfPageConverter::generatePageToSwf(int pageNumber, const QString& outputPath)
{
    const QString range = QStringLiteral("%1-%1").arg(pageNumber);
    // Options first, then the PDF after "--" and as an absolute path: a file named "-x.pdf"
    // is never read as an option.
    const QStringList arguments = {
        QLatin1String("-o") + QFileInfo(outputPath).absoluteFilePath(),
        QLatin1String("-p ") + range,
        QLatin1String("-s jpegquality=") + QString::number(m_quality),
        QStringLiteral("-t"),
        QStringLiteral("-G"),
        QStringLiteral("-qq"),
        QStringLiteral("-s flashversion=8"),
        QStringLiteral("-s disablelinks"),
        QLatin1String("-s ") + QStringLiteral("zoom=%1").arg(m_dpi),
        QStringLiteral("--"),
        QFileInfo(m_pdfPath).absoluteFilePath(),
    };
    const ToolRun run = runTool(pdf2swfToolPath(), arguments);
    QString problem;
    if (run.crashed || run.exitCode != 0) {
        const QString message = QString::fromUtf8(run.err).trimmed();
        problem = QStringLiteral("pdf2swf failed%1").arg(message.isEmpty() ? QString() : QLatin1String(": ") + message);
        LC_WARN(QStringLiteral("page %1: %2").arg(pageNumber).arg(problem));
    } else if (!QFileInfo::exists(outputPath)) {
        problem = QStringLiteral("pdf2swf wrote no page file");
    }
    if (problem.isNull() && isSizePage(pageNumber))
        measureSwfSize(outputPath);
    return problem;
}

void PdfPageConverter::measureSwfSize(const QString& swfPath)
{
    const ToolRun run = runTool(swfSizeToolPath(), {QStringLiteral("--"), QFileInfo(swfPath).absoluteFilePath()});
    const QString output = QString::fromLatin1(run.out);
    const int bar = indexAfterBar(int(output.size()), output);
    if (bar == 0) {
        const QString message = QString::fromUtf8(run.err).trimmed();
        throw Error(ErrorKind::BadInput,
                    QStringLiteral("the page size cannot be measured%1")
                        .arg(message.isEmpty() ? QString() : QLatin1String(": ") + message),
                    swfPath);
    }
    const int width = leadingInteger(output.left(bar - 1));
    const int height = leadingInteger(output.mid(bar));
    storePageSize(width, height);
    LC_DEBUG(QStringLiteral("page size %1 x %2 from %3").arg(width).arg(height).arg(swfPath));
}

} // namespace leafcraft

// The MuPDF back-end of the PDF services (PdfDocument.h).
//
// Threads: every Document has a MuPDF context of its own, not a clone of a shared one, and
// opens its own copy of the file, because MuPDF documents are not safe to use from two
// threads at once. Nothing of MuPDF is shared between handles: neither the resource store,
// nor the glyph cache, nor the font library, nor any lock. Since a handle is used by one
// thread at a time, its context needs no locks at all; clones of a shared context would take
// one process-wide lock for every allocation, every reference count and every glyph drawn,
// and the page workers would queue on it. (Besides a context's own state, MuPDF's locks
// guard only two globals, read by the allocation hooks of its bundled OpenJPEG and HarfBuzz;
// the system libraries linked here allocate on their own.)
//
// Errors: MuPDF reports errors with setjmp/longjmp. Every call into MuPDF runs inside
// fz_try; fz_catch only records the message, and the C++ exception is thrown after the
// try block has been left, so no C++ object is ever jumped over.
#include "platform/PdfDocument.h"

#include "platform/Log.h"
#include "platform/MuPdfPageRender_p.h"
#include "support/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_set>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace leafcraft::pdf {

namespace {

// Resources (fonts, images, decoded streams) that MuPDF may keep between pages, per handle.
// A handle reads a document of its own, so nothing in one store serves another handle; small
// enough that a long import on every core stays well inside its memory budget.
constexpr size_t kStoreSize = 32u << 20;
// Page tree nodes below this depth are not followed: no real document nests this deep.
constexpr int kMaxPageTreeDepth = 64;

void mupdfWarning(void* collected, const char* message)
{
    LC_DEBUG(QStringLiteral("mupdf: %1").arg(QString::fromUtf8(message)));
    // While a document opens or draws a page, its context collects what MuPDF worked around.
    if (collected)
        static_cast<QStringList*>(collected)->append(QString::fromUtf8(message));
}

void mupdfError(void*, const char* message)
{
    LC_DEBUG(QStringLiteral("mupdf error: %1").arg(QString::fromUtf8(message)));
}

// The context of one handle: its own store, glyph cache and font library; no locks, since one
// thread at a time uses it (see the top of this file). Its allocations count against the
// drawing thread's memory budget (kBudgetAllocator).
struct ContextHandle {
    fz_context* ctx = nullptr;
    ContextHandle()
    {
        ctx = fz_new_context(&detail::kBudgetAllocator, nullptr, kStoreSize);
        if (!ctx)
            throw Error(ErrorKind::Internal, QStringLiteral("the PDF library cannot start (out of memory)"));
        fz_set_warning_callback(ctx, mupdfWarning, nullptr);
        fz_set_error_callback(ctx, mupdfError, nullptr);
    }
    ~ContextHandle() { fz_drop_context(ctx); }
    ContextHandle(const ContextHandle&) = delete;
    ContextHandle& operator=(const ContextHandle&) = delete;
};

QString caught(fz_context* ctx)
{
    return QString::fromUtf8(fz_caught_message(ctx));
}

Rect toRect(fz_rect r)
{
    return Rect{std::min(r.x0, r.x1), std::min(r.y0, r.y1), std::max(r.x0, r.x1), std::max(r.y0, r.y1)};
}

int normalisedRotation(int rotate)
{
    int r = rotate % 360;
    if (r < 0)
        r += 360;
    // Rotations that are not a multiple of 90 are invalid; round them down as viewers do.
    return r - r % 90;
}

// A box whose sides later arithmetic can take: finite, and small enough that their
// differences are finite too. (Huge but finite pages are shrunk for display by displaySize.)
bool plausible(fz_rect r)
{
    const float limit = 1e30f;
    for (float v : {r.x0, r.y0, r.x1, r.y1})
        if (!std::isfinite(v) || std::fabs(v) > limit)
            return false;
    return true;
}

// Counts the leaf pages under a page tree node and writes the true count into every /Count
// on the way, so that MuPDF's page lookup, which trusts /Count, finds exactly these pages.
// Nodes seen before (a loop, or a node shared by two parents) and nodes nested too deep are
// left out and reported in `damage`.
//
// Runs inside fz_try: no C++ object with a destructor lives across a MuPDF call here.
int countPages(fz_context* ctx, pdf_obj* node, int depth, std::unordered_set<int>& seen, QStringList& damage)
{
    const int number = pdf_to_num(ctx, node);
    if (number > 0 && !seen.insert(number).second) {
        damage << QStringLiteral("the page tree refers to object %1 twice; the repeat is ignored").arg(number);
        return 0;
    }
    pdf_obj* kids = pdf_dict_get(ctx, node, PDF_NAME(Kids));
    if (!pdf_is_array(ctx, kids))
        return pdf_is_dict(ctx, node) ? 1 : 0; // a leaf: one page
    if (depth >= kMaxPageTreeDepth) {
        damage << QStringLiteral("the page tree is nested too deeply; its deepest pages are ignored");
        return 0;
    }
    int count = 0;
    const int n = pdf_array_len(ctx, kids);
    for (int i = 0; i < n; ++i)
        count += countPages(ctx, pdf_array_get(ctx, kids, i), depth + 1, seen, damage);
    const int claimed = pdf_dict_get_int(ctx, node, PDF_NAME(Count));
    if (claimed != count)
        pdf_dict_put_int(ctx, node, PDF_NAME(Count), count);
    if (depth == 0 && claimed != count)
        damage << QStringLiteral("the page tree claims %1 pages but holds %2").arg(claimed).arg(count);
    return count;
}

// True when the page names content that the file does not hold (cut off, or not a stream).
bool contentMissing(fz_context* ctx, pdf_obj* pageObj)
{
    pdf_obj* contents = pdf_dict_get(ctx, pageObj, PDF_NAME(Contents));
    if (!contents)
        return false; // a page without content is blank by design
    if (pdf_is_stream(ctx, contents))
        return false;
    if (!pdf_is_array(ctx, contents))
        return true;
    const int n = pdf_array_len(ctx, contents);
    for (int i = 0; i < n; ++i)
        if (!pdf_is_stream(ctx, pdf_array_get(ctx, contents, i)))
            return true;
    return false;
}

// Checks the first bytes of the file for the PDF signature. A PDF may carry a little junk
// before "%PDF-", so the whole first kilobyte is searched.
bool looksLikePdf(QFile& file)
{
    const QByteArray head = file.read(1024);
    return head.contains("%PDF-");
}

class MuPdfDocument final : public Document {
public:
    explicit MuPdfDocument(const QString& path) : m_path(path) { open(); }

    int pageCount() const override { return m_pageCount; }

    Rect cropBox(int page) const override
    {
        checkPage(page);
        fz_context* ctx = m_context.ctx;
        fz_rect box = fz_empty_rect;
        bool failed = false;
        fz_try(ctx)
        {
            pdf_obj* pageObj = pdf_lookup_page_obj(ctx, m_doc, page);
            fz_rect media = pdf_to_rect(ctx, pdf_dict_get_inheritable(ctx, pageObj, PDF_NAME(MediaBox)));
            if (fz_is_empty_rect(media) || !plausible(media))
                media = fz_make_rect(0, 0, 612, 792); // the PDF default (US Letter)
            pdf_obj* cropObj = pdf_dict_get_inheritable(ctx, pageObj, PDF_NAME(CropBox));
            box = media;
            if (pdf_is_array(ctx, cropObj) && plausible(pdf_to_rect(ctx, cropObj))) {
                fz_rect crop = pdf_to_rect(ctx, cropObj);
                // A crop box is clipped to the media box; one that misses it is ignored.
                fz_rect clipped = fz_intersect_rect(crop, media);
                if (!fz_is_empty_rect(clipped))
                    box = clipped;
            }
        }
        fz_catch(ctx) { failed = true; }
        if (failed)
            throw pageError(page, caught(ctx));
        return toRect(box);
    }

    int rotation(int page) const override
    {
        checkPage(page);
        fz_context* ctx = m_context.ctx;
        int rotate = 0;
        bool failed = false;
        fz_try(ctx)
        {
            pdf_obj* pageObj = pdf_lookup_page_obj(ctx, m_doc, page);
            rotate = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, pageObj, PDF_NAME(Rotate)));
        }
        fz_catch(ctx) { failed = true; }
        if (failed)
            throw pageError(page, caught(ctx));
        return normalisedRotation(rotate);
    }

    void displaySize(int page, double* width, double* height) const override
    {
        const Rect box = cropBox(page);
        const int rotate = rotation(page);
        const bool swapped = rotate == 90 || rotate == 270;
        double w = swapped ? box.height() : box.width();
        double h = swapped ? box.width() : box.height();
        const double longer = std::max(w, h);
        if (longer > kMaxPageSide) {
            w = w * kMaxPageSide / longer;
            h = h * kMaxPageSide / longer;
        }
        if (width)
            *width = w;
        if (height)
            *height = h;
    }

    QStringList damage() const override { return m_damage; }

    std::vector<Link> links(int page) const override
    {
        checkPage(page);
        fz_context* ctx = m_context.ctx;
        fz_page* fzPage = nullptr;
        fz_link* first = nullptr;
        fz_matrix toUser = fz_identity;
        bool failed = false;
        fz_var(fzPage);
        fz_var(first);
        fz_try(ctx)
        {
            fzPage = fz_load_page(ctx, &m_doc->super, page);
            first = fz_load_links(ctx, fzPage);
            // Links come in device space; take them back to the page's user space.
            fz_rect media;
            fz_matrix ctm;
            pdf_page_transform(ctx, pdf_page_from_fz_page(ctx, fzPage), &media, &ctm);
            toUser = fz_invert_matrix(ctm);
        }
        fz_catch(ctx) { failed = true; }
        std::vector<Link> result;
        if (!failed) {
            for (fz_link* l = first; l; l = l->next) {
                if (!l->uri)
                    continue;
                Link link;
                link.bounds = toRect(fz_transform_rect(l->rect, toUser));
                if (fz_is_external_link(ctx, l->uri)) {
                    link.url = QString::fromUtf8(l->uri);
                } else {
                    link.destPage = detail::pageOfLink(ctx, &m_doc->super, l->uri);
                    if (link.destPage < 0)
                        continue; // a destination that does not exist
                }
                result.push_back(std::move(link));
            }
        }
        fz_drop_link(ctx, first);
        fz_drop_page(ctx, fzPage);
        if (failed)
            throw pageError(page, caught(ctx));
        return result;
    }

    std::vector<OutlineItem> outline() const override
    {
        fz_context* ctx = m_context.ctx;
        fz_outline_iterator* iter = nullptr;
        std::vector<OutlineItem> result;
        std::vector<std::vector<OutlineItem>*> levels;
        bool failed = false;
        fz_var(iter);
        fz_try(ctx)
        {
            iter = fz_new_outline_iterator(ctx, &m_doc->super);
            if (iter)
                detail::readOutline(ctx, &m_doc->super, iter, result, levels);
        }
        fz_always(ctx) { fz_drop_outline_iterator(ctx, iter); }
        fz_catch(ctx) { failed = true; }
        if (failed) // a broken outline is not worth failing an import for: the entries read so far
            LC_WARN(QStringLiteral("%1: the bookmarks cannot all be read: %2").arg(m_path, caught(ctx)));
        return result;
    }

    Bitmap render(int page, int width, int height) const override
    {
        checkPage(page);
        if (width < 1 || height < 1 || qint64(width) * height > kMaxRenderPixels)
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("page %1 cannot be rendered at %2 x %3 pixels").arg(page + 1).arg(width).arg(height),
                        m_path);
        Bitmap bitmap;
        bitmap.width = width;
        bitmap.height = height;
        bitmap.pixels = QByteArray(qsizetype(width) * height * 3, char(0xff)); // white paper
        unsigned char* samples = reinterpret_cast<unsigned char*>(bitmap.pixels.data());

        fz_context* ctx = m_context.ctx;
        fz_page* fzPage = nullptr;
        fz_pixmap* pixmap = nullptr;
        fz_device* device = nullptr;
        bool failed = false;
        fz_var(fzPage);
        fz_var(pixmap);
        fz_var(device);
        QStringList problems;
        fz_set_warning_callback(ctx, mupdfWarning, &problems);
        fz_try(ctx)
        {
            if (contentMissing(ctx, pdf_lookup_page_obj(ctx, m_doc, page)))
                fz_throw(ctx, FZ_ERROR_GENERIC, "its content is missing from the file (the file is truncated or damaged)");
            fzPage = fz_load_page(ctx, &m_doc->super, page);
            // The page's bounds already include its rotation.
            const fz_rect bounds = fz_bound_page(ctx, fzPage);
            const float bw = bounds.x1 - bounds.x0;
            const float bh = bounds.y1 - bounds.y0;
            if (bw <= 0 || bh <= 0)
                fz_throw(ctx, FZ_ERROR_GENERIC, "the page has an empty size");
            const fz_matrix ctm = fz_concat(fz_translate(-bounds.x0, -bounds.y0), fz_scale(width / bw, height / bh));
            pixmap = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), width, height, nullptr, 0, width * 3, samples);
            device = fz_new_draw_device(ctx, fz_identity, pixmap);
            fz_run_page(ctx, fzPage, device, ctm, nullptr);
            fz_close_device(ctx, device);
        }
        fz_always(ctx)
        {
            fz_drop_device(ctx, device);
            fz_drop_pixmap(ctx, pixmap);
            fz_drop_page(ctx, fzPage);
            fz_flush_warnings(ctx);
            fz_set_warning_callback(ctx, mupdfWarning, nullptr);
        }
        fz_catch(ctx) { failed = true; }
        if (failed)
            throw pageError(page, caught(ctx));
        problems.removeDuplicates();
        bitmap.problems = problems;
        return bitmap;
    }

    QString pageText(int page) const override
    {
        checkPage(page);
        fz_context* ctx = m_context.ctx;
        fz_page* fzPage = nullptr;
        fz_stext_page* text = nullptr;
        fz_buffer* buffer = nullptr;
        const char* utf8 = nullptr;
        bool failed = false;
        fz_var(fzPage);
        fz_var(text);
        fz_var(buffer);
        fz_try(ctx)
        {
            fzPage = fz_load_page(ctx, &m_doc->super, page);
            text = fz_new_stext_page_from_page(ctx, fzPage, nullptr);
            buffer = fz_new_buffer_from_stext_page(ctx, text);
            utf8 = fz_string_from_buffer(ctx, buffer);
        }
        fz_catch(ctx) { failed = true; }
        QString result;
        if (!failed)
            result = QString::fromUtf8(utf8);
        fz_drop_buffer(ctx, buffer);
        fz_drop_stext_page(ctx, text);
        fz_drop_page(ctx, fzPage);
        if (failed)
            throw pageError(page, caught(ctx));
        return result;
    }

    RenderedPage renderPage(int page, const RenderRequest& request) const override
    {
        checkPage(page);
        if ((request.width > 0 || request.height > 0)
            && (request.width < 1 || request.height < 1 || qint64(request.width) * request.height > kMaxRenderPixels))
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("page %1 cannot be rendered at %2 x %3 pixels")
                            .arg(page + 1).arg(request.width).arg(request.height),
                        m_path);
        fz_context* ctx = m_context.ctx;
        int missing = 0;
        fz_var(missing);
        fz_try(ctx) { missing = contentMissing(ctx, pdf_lookup_page_obj(ctx, m_doc, page)) ? 1 : 0; }
        fz_catch(ctx) { missing = 1; }
        if (missing)
            throw pageError(page, QStringLiteral("its content is missing from the file (the file is truncated or damaged)"));
        RenderedPage result;
        QString why;
        // What MuPDF had to work around while drawing becomes the picture's problems.
        QStringList problems;
        fz_set_warning_callback(ctx, mupdfWarning, &problems);
        const bool drawn = detail::renderPageOnce(ctx, &m_doc->super, page, request, kMaxRenderPixels, result, why);
        fz_flush_warnings(ctx);
        fz_set_warning_callback(ctx, mupdfWarning, nullptr);
        if (!drawn)
            throw pageError(page, why);
        problems.removeDuplicates();
        result.picture.problems = problems;
        return result;
    }

    bool allowsTextCopy() const override
    {
        fz_context* ctx = m_context.ctx;
        int allowed = 1;
        fz_var(allowed);
        fz_try(ctx) { allowed = pdf_has_permission(ctx, m_doc, FZ_PERMISSION_COPY); }
        fz_catch(ctx) { allowed = 0; } // unreadable permissions: take the careful reading
        return allowed != 0;
    }

    QString language() const override
    {
        fz_context* ctx = m_context.ctx;
        char lang[64] = {0};
        fz_try(ctx)
        {
            pdf_obj* catalog = pdf_dict_get(ctx, pdf_trailer(ctx, m_doc), PDF_NAME(Root));
            fz_strlcpy(lang, pdf_to_text_string(ctx, pdf_dict_get(ctx, catalog, PDF_NAME(Lang))), sizeof lang);
        }
        fz_catch(ctx) { lang[0] = 0; }
        static const QRegularExpression tag(QStringLiteral("^[A-Za-z]{2,8}(-[A-Za-z0-9]{1,8})*$"));
        const QString text = QString::fromUtf8(lang).trimmed();
        return tag.match(text).hasMatch() ? text : QString();
    }

    std::unique_ptr<Document> clone() const override { return std::make_unique<MuPdfDocument>(m_path); }

    ~MuPdfDocument() override
    {
        if (m_doc)
            pdf_drop_document(m_context.ctx, m_doc);
    }

private:
    void open()
    {
        QFileInfo info(m_path);
        if (!info.exists())
            throw Error(ErrorKind::BadInput, QStringLiteral("the file does not exist"), m_path);
        // A FIFO or a device would block or never end; a folder has no bytes.
        if (!info.isFile())
            throw Error(ErrorKind::BadInput, QStringLiteral("the file cannot be read (not a regular file)"), m_path);
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            throw Error(ErrorKind::BadInput, QStringLiteral("the file cannot be read"), m_path);
        if (!looksLikePdf(file))
            throw Error(ErrorKind::BadInput, QStringLiteral("the file is not a PDF document"), m_path);
        file.close();

        fz_context* ctx = m_context.ctx;
        const QByteArray localPath = QFile::encodeName(m_path);
        enum { Ok, Damaged, Locked } state = Ok;
        int count = 0;
        pdf_document* doc = nullptr;
        fz_var(doc);
        fz_var(state);
        fz_var(count);
        QStringList warnings;
        QStringList treeDamage;
        std::unordered_set<int> seen;
        fz_set_warning_callback(ctx, mupdfWarning, &warnings);
        fz_try(ctx)
        {
            doc = pdf_open_document(ctx, localPath.constData());
            if (pdf_needs_password(ctx, doc)) {
                state = Locked;
            } else {
                pdf_obj* root = pdf_dict_getp(ctx, pdf_trailer(ctx, doc), "Root/Pages");
                count = root ? countPages(ctx, root, 0, seen, treeDamage) : 0;
            }
        }
        fz_always(ctx)
        {
            fz_flush_warnings(ctx);
            fz_set_warning_callback(ctx, mupdfWarning, nullptr);
        }
        fz_catch(ctx) { state = Damaged; }
        const QString why = caught(ctx);
        // A refused document is released here: the destructor does not run for a constructor
        // that throws.
        auto refuse = [&](const QString& message) {
            if (doc)
                pdf_drop_document(ctx, doc);
            throw Error(ErrorKind::BadInput, message, m_path);
        };
        if (state == Damaged)
            refuse(QStringLiteral("the PDF is damaged and cannot be repaired (%1)").arg(why));
        if (state == Locked)
            refuse(QStringLiteral("the PDF is password protected"));
        if (count < 1)
            refuse(doc->repair_attempted ? QStringLiteral("the PDF is damaged: no page of it can be found")
                                         : QStringLiteral("the PDF has no pages"));
        m_doc = doc;
        if (doc->repair_attempted) {
            warnings.removeDuplicates();
            m_damage << QStringLiteral("the file is damaged and has been repaired (%1); pages may be incomplete")
                            .arg(warnings.isEmpty() ? QStringLiteral("no detail") : warnings.mid(0, 3).join(QStringLiteral("; ")));
        }
        m_damage << treeDamage;
        m_pageCount = count;
    }

    void checkPage(int page) const
    {
        if (page < 0 || page >= m_pageCount)
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("page %1 does not exist (the PDF has %2 pages)").arg(page + 1).arg(m_pageCount),
                        m_path);
    }

    Error pageError(int page, const QString& why) const
    {
        return Error(ErrorKind::BadInput, QStringLiteral("page %1 cannot be read (%2)").arg(page + 1).arg(why), m_path);
    }

    QString m_path;
    ContextHandle m_context;
    pdf_document* m_doc = nullptr;
    int m_pageCount = 0;
    QStringList m_damage;
};

} // namespace

std::unique_ptr<Document> openDocument(const QString& path)
{
    return std::make_unique<MuPdfDocument>(path);
}

} // namespace leafcraft::pdf

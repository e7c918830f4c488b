#include "platform/MuPdfPageRender_p.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace leafcraft::pdf::detail {

namespace {

// ---- The memory budget: each block carries its size in front of it; a thread drawing a page
// counts what it holds, and an allocation past the budget fails (MuPDF then throws).
struct MemoryBudget {
    qint64 held = 0;
    bool exceeded = false;
};
thread_local MemoryBudget* t_budget = nullptr;
constexpr std::size_t kHeader = 16; // keeps the blocks' alignment

bool refused(std::size_t more)
{
    if (!t_budget || t_budget->held + qint64(more) <= kPageMemoryBudget)
        return false;
    t_budget->exceeded = true;
    return true;
}

void* budgetMalloc(void*, std::size_t size)
{
    if (refused(size))
        return nullptr;
    auto* block = static_cast<char*>(std::malloc(size + kHeader));
    if (!block)
        return nullptr;
    *reinterpret_cast<std::size_t*>(block) = size;
    if (t_budget)
        t_budget->held += qint64(size);
    return block + kHeader;
}

void budgetFree(void*, void* pointer)
{
    if (!pointer)
        return;
    char* block = static_cast<char*>(pointer) - kHeader;
    if (t_budget)
        t_budget->held -= qint64(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}

void* budgetRealloc(void* user, void* pointer, std::size_t size)
{
    if (!pointer)
        return budgetMalloc(user, size);
    char* block = static_cast<char*>(pointer) - kHeader;
    const std::size_t old = *reinterpret_cast<std::size_t*>(block);
    if (size > old && refused(size - old))
        return nullptr;
    auto* moved = static_cast<char*>(std::realloc(block, size + kHeader));
    if (!moved)
        return nullptr;
    *reinterpret_cast<std::size_t*>(moved) = size;
    if (t_budget)
        t_budget->held += qint64(size) - qint64(old);
    return moved + kHeader;
}

// Counts the calling thread's allocations for as long as it lives.
class MemoryBudgetScope {
public:
    MemoryBudgetScope() { t_budget = &m_budget; }
    ~MemoryBudgetScope() { t_budget = nullptr; }
    bool exceeded() const { return m_budget.exceeded; }

private:
    MemoryBudget m_budget;
};

// ---- The time budget: a watchdog asks MuPDF, through the cookie, to stop drawing.
class Watchdog {
public:
    Watchdog(fz_cookie& cookie, int seconds)
        : m_thread([this, &cookie, seconds] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; }))
                  cookie.abort = 1;
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread; // last: starts once the rest is ready
};

Bitmap whitePaper(int width, int height)
{
    Bitmap paper;
    paper.width = width;
    paper.height = height;
    paper.pixels = QByteArray(qsizetype(width) * height * 3, char(0xff));
    return paper;
}

unsigned char* samplesOf(Bitmap& bitmap)
{
    return reinterpret_cast<unsigned char*>(bitmap.pixels.data());
}

void appendRune(QString& text, int c)
{
    if (c < 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c >= 0x10000) {
        text += QChar(QChar::highSurrogate(char32_t(c)));
        text += QChar(QChar::lowSurrogate(char32_t(c)));
    } else {
        text += QChar(char16_t(c));
    }
}

bool isSpaceRune(int c)
{
    return c == ' ' || c == '\t' || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B);
}

} // namespace

const fz_alloc_context kBudgetAllocator = {nullptr, budgetMalloc, budgetRealloc, budgetFree};

PageText collectText(const fz_stext_page* page, float width, float height)
{
    PageText result;
    if (!page || width <= 0 || height <= 0)
        return result;
    auto fraction = [](float v, float whole) { return std::clamp(v / whole, 0.0f, 1.0f); };
    Word word;
    fz_rect box = fz_empty_rect;
    auto flush = [&] {
        if (word.text.isEmpty())
            return;
        word.x = fraction(box.x0, width);
        word.y = fraction(box.y0, height);
        word.width = fraction(box.x1, width) - word.x;
        word.height = fraction(box.y1, height) - word.y;
        result.words.push_back(std::move(word));
        word = Word();
        box = fz_empty_rect;
    };
    for (const fz_stext_block* block = page->first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (const fz_stext_line* line = block->u.t.first_line; line; line = line->next) {
            for (const fz_stext_char* ch = line->first_char; ch; ch = ch->next) {
                appendRune(result.text, ch->c);
                if (isSpaceRune(ch->c)) {
                    flush();
                    continue;
                }
                appendRune(word.text, ch->c);
                box = fz_union_rect(box, fz_rect_from_quad(ch->quad));
            }
            flush();
            result.text += QLatin1Char('\n');
        }
        result.text += QLatin1Char('\n');
    }
    return result;
}

bool renderPageOnce(fz_context* ctx, fz_document* doc, int page, const RenderRequest& request, qint64 maxPixels,
                    RenderedPage& out, QString& error)
{
    const bool picture = request.width > 0 && request.height > 0;
    const bool large = picture && request.large && 4 * qint64(request.width) * request.height <= maxPixels;
    if (picture)
        out.picture = whitePaper(request.width, request.height);
    if (large)
        out.large = whitePaper(request.width * 2, request.height * 2);
    const bool thumb = request.thumbWidth > 0 && request.thumbHeight > 0
        && qint64(request.thumbWidth) * request.thumbHeight <= maxPixels;
    if (thumb)
        out.thumb = whitePaper(request.thumbWidth, request.thumbHeight);
    unsigned char* pictureSamples = picture ? samplesOf(out.picture) : nullptr;
    unsigned char* largeSamples = large ? samplesOf(out.large) : nullptr;
    unsigned char* thumbSamples = thumb ? samplesOf(out.thumb) : nullptr;
    const int consumers = int(picture) + int(large) + int(request.text) + int(thumb) + int(request.vector);

    fz_page* fzPage = nullptr;
    fz_display_list* list = nullptr;
    fz_pixmap* pixmap = nullptr;
    fz_device* device = nullptr;
    fz_stext_page* text = nullptr;
    fz_buffer* svg = nullptr;
    fz_output* svgOut = nullptr;
    float frameWidth = 0, frameHeight = 0;
    bool failed = false;
    fz_cookie cookie{};
    const MemoryBudgetScope memory;
    const int seconds = pageTimeBudget();
    const Watchdog watchdog(cookie, seconds);
    fz_var(fzPage);
    fz_var(list);
    fz_var(pixmap);
    fz_var(device);
    fz_var(text);
    fz_var(svg);
    fz_var(svgOut);
    fz_var(frameWidth);
    fz_var(frameHeight);
    fz_try(ctx)
    {
        fzPage = fz_load_page(ctx, doc, page);
        // The page's bounds already include its rotation.
        const fz_rect bounds = fz_bound_page(ctx, fzPage);
        const float bw = bounds.x1 - bounds.x0;
        const float bh = bounds.y1 - bounds.y0;
        if (bw <= 0 || bh <= 0)
            fz_throw(ctx, FZ_ERROR_GENERIC, "the page has an empty size");
        // Text positions are taken in the picture's frame, or in points without a picture.
        frameWidth = picture ? float(request.width) : bw;
        frameHeight = picture ? float(request.height) : bh;
        const fz_matrix ctm = fz_concat(fz_translate(-bounds.x0, -bounds.y0), fz_scale(frameWidth / bw, frameHeight / bh));
        // Several consumers share one interpretation of the page through its display list.
        if (consumers > 1) {
            list = fz_new_display_list(ctx, bounds);
            device = fz_new_list_device(ctx, list);
            fz_run_page(ctx, fzPage, device, fz_identity, &cookie);
            fz_close_device(ctx, device);
            fz_drop_device(ctx, device);
            device = nullptr;
        }
        for (int pass = 0; pass < 5; ++pass) {
            fz_matrix m = ctm;
            if (pass == 0 && picture) {
                pixmap = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), request.width, request.height, nullptr, 0,
                                                 request.width * 3, pictureSamples);
                device = fz_new_draw_device(ctx, fz_identity, pixmap);
            } else if (pass == 1 && large) {
                pixmap = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), request.width * 2, request.height * 2,
                                                 nullptr, 0, request.width * 6, largeSamples);
                device = fz_new_draw_device(ctx, fz_identity, pixmap);
                m = fz_concat(ctm, fz_scale(2, 2));
            } else if (pass == 3 && thumb) {
                pixmap = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), request.thumbWidth, request.thumbHeight,
                                                 nullptr, 0, request.thumbWidth * 3, thumbSamples);
                device = fz_new_draw_device(ctx, fz_identity, pixmap);
                m = fz_concat(ctm, fz_scale(request.thumbWidth / frameWidth, request.thumbHeight / frameHeight));
            } else if (pass == 4 && request.vector) {
                // In points, whatever the pictures' frame: the drawing scales itself.
                svg = fz_new_buffer(ctx, 64 * 1024);
                svgOut = fz_new_output_with_buffer(ctx, svg);
                device = fz_new_svg_device(ctx, svgOut, bw, bh, FZ_SVG_TEXT_AS_PATH, 1);
                m = fz_translate(-bounds.x0, -bounds.y0);
            } else if (pass == 2 && request.text) {
                text = fz_new_stext_page(ctx, fz_make_rect(0, 0, frameWidth, frameHeight));
                device = fz_new_stext_device(ctx, text, nullptr);
            } else {
                continue;
            }
            if (cookie.abort)
                break;
            if (list)
                fz_run_display_list(ctx, list, device, m, fz_infinite_rect, &cookie);
            else
                fz_run_page(ctx, fzPage, device, m, &cookie);
            fz_close_device(ctx, device);
            fz_drop_device(ctx, device);
            device = nullptr;
            if (svgOut) {
                fz_close_output(ctx, svgOut);
                fz_drop_output(ctx, svgOut);
                svgOut = nullptr;
            }
            fz_drop_pixmap(ctx, pixmap);
            pixmap = nullptr;
        }
    }
    fz_always(ctx)
    {
        fz_drop_device(ctx, device);
        fz_drop_output(ctx, svgOut);
        fz_drop_pixmap(ctx, pixmap);
        fz_drop_display_list(ctx, list);
        fz_drop_page(ctx, fzPage);
    }
    fz_catch(ctx)
    {
        failed = true;
        error = QString::fromUtf8(fz_caught_message(ctx));
    }
    // A page past its budget is given up, whatever MuPDF made of the refusal.
    if (memory.exceeded() || cookie.abort) {
        failed = true;
        error = memory.exceeded()
            ? QStringLiteral("drawing it needs more than %1 MB of memory").arg(kPageMemoryBudget >> 20)
            : QStringLiteral("drawing it takes longer than %1 s").arg(seconds);
    }
    if (!failed && svg) {
        unsigned char* data = nullptr;
        const size_t length = fz_buffer_storage(ctx, svg, &data);
        out.svg = QByteArray(reinterpret_cast<const char*>(data), qsizetype(length));
    }
    fz_drop_buffer(ctx, svg);
    if (!failed && text) {
        try {
            out.text = collectText(text, frameWidth, frameHeight);
        } catch (...) {
            fz_drop_stext_page(ctx, text);
            throw;
        }
    }
    fz_drop_stext_page(ctx, text);
    return !failed;
}

} // namespace leafcraft::pdf::detail

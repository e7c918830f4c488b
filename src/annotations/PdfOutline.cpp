#include "annotations/PdfOutline.h"

#include "platform/Log.h"
#include "platform/PdfDocument.h"

namespace leafcraft {

namespace {

// Nesting deeper than this is cut off: a hostile file must not exhaust the stack.
constexpr int maxLevel = 256;

std::unique_ptr<OutlineItem> itemFor(const pdf::OutlineItem& entry, int level, const pdf::Document& document)
{
    auto item = std::make_unique<OutlineItem>();
    item->setCaption(entry.title);
    const bool inDocument = entry.destPage >= 0 && entry.destPage < document.pageCount();
    item->setPageIndex(inDocument ? entry.destPage + 1 : 0);
    item->setLevel(level);
    return item;
}

} // namespace

void PdfOutline::loadOutlineFromPDF(const pdf::Document& document)
{
    const std::vector<pdf::OutlineItem> root = document.outline();
    for (const pdf::OutlineItem& entry : root) {
        auto item = itemFor(entry, 1, document);
        OutlineItem* added = item.get();
        m_items.push_back(std::move(item));
        addOutlineItems(added, entry, 1, document);
    }
    LC_DEBUG(QStringLiteral("%1 top-level bookmark(s)").arg(m_items.size()));
}

void PdfOutline::addOutlineItems(OutlineItem* parent, const pdf::OutlineItem& node, int level,
                                         const pdf::Document& document)
{
    if (level >= maxLevel)
        return;
    for (const pdf::OutlineItem& entry : node.children) {
        auto item = itemFor(entry, level + 1, document);
        item->setParent(parent);
        OutlineItem* added = parent->addChild(std::move(item));
        addOutlineItems(added, entry, level + 1, document);
    }
}

} // namespace leafcraft

// One bookmark of the book's outline: a caption pointing at a page, with sub-bookmarks.
//
// Its XML form is an `o` element with exactly four children, in this order:
//   <o><c>caption</c><p>page number</p><l>level</l><ci>one o per child</ci></o>
#pragma once

#include "platform/Xml.h"

#include <QString>
#include <memory>
#include <vector>

namespace leafcraft {

class OutlineItem;
using OutlineItemList = std::vector<std::unique_ptr<OutlineItem>>;

class OutlineItem {
public:
    OutlineItem() = default;
    OutlineItem(const OutlineItem&) = delete;
    OutlineItem& operator=(const OutlineItem&) = delete;

    // The bookmark's text; a null string when it has none.
    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }
    // 1-based page number in the PDF; 0 when the bookmark points at no page.
    int pageIndex() const { return m_pageIndex; }
    void setPageIndex(int pageIndex) { m_pageIndex = pageIndex; }
    // The enclosing bookmark (borrowed), or nullptr for a top-level item.
    OutlineItem* parent() const { return m_parent; }
    void setParent(OutlineItem* parent) { m_parent = parent; }
    const OutlineItemList& childItems() const { return m_childItems; }
    void setChildItems(OutlineItemList items) { m_childItems = std::move(items); }
    // Depth: 1 for top-level items.
    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }

    // Appends `child` to the children (the item takes it over) and returns it, borrowed.
    OutlineItem* addChild(std::unique_ptr<OutlineItem> child);
    // Removes and destroys `child` when it is one of the children.
    void removeChild(const OutlineItem* child);

    // Appends this item's `o` element, with its whole sub-tree, to `parent`.
    xml::Element outlineItemAsXMLNode(xml::Element parent) const;
    // Fills this item from an `o` element: caption, page and level from the first `c`, `p`
    // and `l` children (a missing one leaves the field as it is), the children from the `o`
    // elements of the first `ci`. Throws Error named "ERROR_INIT_OUTLINE_ITEM" ("Not a flash
    // outline item") when the element is not an `o`.
    void loadItemFromXMLNode(const xml::Element& element);

private:
    QString m_caption;
    int m_pageIndex = 0;
    OutlineItem* m_parent = nullptr;
    OutlineItemList m_childItems;
    int m_level = 0;
};

} // namespace leafcraft

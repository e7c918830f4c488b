// The book's bookmark outline: the ordered top-level items of a tree of bookmarks.
//
// Its XML form is an `ols` element holding one `o` per top-level item (see OutlineItem);
// no element carries attributes.
#pragma once

#include "annotations/OutlineItem.h"

namespace leafcraft {

class Outline {
public:
    Outline() = default;
    virtual ~Outline() = default;
    Outline(const Outline&) = delete;
    Outline& operator=(const Outline&) = delete;

    const OutlineItemList& items() const { return m_items; }
    void setItems(OutlineItemList items) { m_items = std::move(items); }

    // A new document whose root is the `ols` element of the whole outline.
    xml::Document outlineAsXMLNode() const;
    // Replaces the items from an `ols` element. Throws Error named "ERROR_INIT_OUTLINES"
    // ("Not a flash outline") for another element; items read before a failing item are kept.
    void loadFromXMLNode(const xml::Element& element);

protected:
    OutlineItemList m_items;
};

} // namespace leafcraft

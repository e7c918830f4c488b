// The link areas of a book's pages, whatever their origin, as one `pagesAnnos` element tree:
//
//   <pagesAnnos>                       one pageAnnos per scanned page, in book order
//     <pageAnnos pageIndex="1">        1-based position of the page in the book
//       <anno url="https://..." x=".." y=".." width=".." height=".." action="web"/>
//       <anno pageIndex="5" x=".." y=".." width=".." height=".." action="page"/>
//     </pageAnnos>
//   </pagesAnnos>
//
// x, y, width and height are fractions ("%f", six decimals) of the page as displayed, y from
// its top edge; a page link's pageIndex is the 1-based destination page of the PDF.
#pragma once

#include "platform/Xml.h"

#include <QStringList>

namespace leafcraft {

class PageLinks {
public:
    PageLinks() = default;
    virtual ~PageLinks() = default;
    PageLinks(const PageLinks&) = delete;
    PageLinks& operator=(const PageLinks&) = delete;

    // Files the links refer to, which the book writer copies into the book.
    const QStringList& needFiles() const { return m_needFiles; }
    void setNeedFiles(const QStringList& files) { m_needFiles = files; }

    // The `pagesAnnos` root, or a null element until a scan has run. Borrowed: valid while
    // this object lives and keeps the tree.
    xml::Element pagesAnnotationsNode() const;
    // Replaces the tree with `document`, whose root is the new `pagesAnnos` element (a null
    // document removes the tree).
    void setPagesAnnotationsNode(xml::Document document) { m_tree = std::move(document); }

protected:
    QStringList m_needFiles;
    xml::Document m_tree;
};

} // namespace leafcraft

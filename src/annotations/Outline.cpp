#include "annotations/Outline.h"

#include "support/Error.h"

namespace leafcraft {

xml::Document Outline::outlineAsXMLNode() const
{
    xml::Document document = xml::Document::create(QStringLiteral("ols"));
    for (const auto& item : m_items)
        item->outlineItemAsXMLNode(document.root());
    return document;
}

void Outline::loadFromXMLNode(const xml::Element& element)
{
    if (element.name() != QLatin1String("ols"))
        throw Error(ErrorKind::BadInput, QStringLiteral("Not a flash outline"), QStringLiteral("ERROR_INIT_OUTLINES"));
    m_items.clear();
    for (const xml::Element& o : element.children(QStringLiteral("o"))) {
        auto item = std::make_unique<OutlineItem>();
        item->loadItemFromXMLNode(o);
        item->setParent(nullptr);
        m_items.push_back(std::move(item));
    }
}

} // namespace leafcraft

#include "annotations/OutlineItem.h"

#include "support/Error.h"

#include <algorithm>

namespace leafcraft {

namespace {

// The leading decimal integer of a text (blanks skipped, optional sign); 0 without digits.
int leadingInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    qsizetype end = i;
    if (end < text.size() && (text[end] == u'+' || text[end] == u'-'))
        ++end;
    while (end < text.size() && text[end].isDigit() && text[end].unicode() < 128)
        ++end;
    bool ok = false;
    const long long value = QStringView(text).mid(i, end - i).toLongLong(&ok);
    if (!ok)
        return 0;
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace

OutlineItem* OutlineItem::addChild(std::unique_ptr<OutlineItem> child)
{
    m_childItems.push_back(std::move(child));
    return m_childItems.back().get();
}

void OutlineItem::removeChild(const OutlineItem* child)
{
    m_childItems.erase(std::remove_if(m_childItems.begin(), m_childItems.end(),
                                      [child](const auto& item) { return item.get() == child; }),
                       m_childItems.end());
}

xml::Element OutlineItem::outlineItemAsXMLNode(xml::Element parent) const
{
    xml::Element o = parent.appendElement(QStringLiteral("o"));
    o.appendElement(QStringLiteral("c"), m_caption.isNull() ? QString() : m_caption);
    o.appendElement(QStringLiteral("p"), QString::number(m_pageIndex));
    o.appendElement(QStringLiteral("l"), QString::number(m_level));
    xml::Element ci = o.appendElement(QStringLiteral("ci"));
    for (const auto& child : m_childItems)
        child->outlineItemAsXMLNode(ci);
    return o;
}

void OutlineItem::loadItemFromXMLNode(const xml::Element& element)
{
    if (element.name() != QLatin1String("o"))
        throw Error(ErrorKind::BadInput, QStringLiteral("Not a flash outline item"),
                    QStringLiteral("ERROR_INIT_OUTLINE_ITEM"));
    if (const xml::Element c = element.firstChild(QStringLiteral("c")))
        m_caption = c.stringValue();
    if (const xml::Element p = element.firstChild(QStringLiteral("p")))
        m_pageIndex = leadingInteger(p.stringValue());
    if (const xml::Element l = element.firstChild(QStringLiteral("l")))
        m_level = leadingInteger(l.stringValue());
    m_childItems.clear();
    if (const xml::Element ci = element.firstChild(QStringLiteral("ci"))) {
        for (const xml::Element& o : ci.children(QStringLiteral("o"))) {
            auto item = std::make_unique<OutlineItem>();
            item->loadItemFromXMLNode(o);
            item->setParent(this);
            m_childItems.push_back(std::move(item));
        }
    }
}

} // namespace leafcraft

#include "platform/Xml.h"

#include "support/Error.h"

#include <QFile>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <limits>
#include <mutex>

namespace leafcraft::xml {

namespace {

void initOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

const xmlChar* xc(const QByteArray& b)
{
    return reinterpret_cast<const xmlChar*>(b.constData());
}

QString qs(const xmlChar* s)
{
    return s ? QString::fromUtf8(reinterpret_cast<const char*>(s)) : QString();
}

bool nameIs(xmlNodePtr n, const QByteArray& name)
{
    return n->type == XML_ELEMENT_NODE && (name.isEmpty() || xmlStrcmp(n->name, xc(name)) == 0);
}

} // namespace

// ---------------------------------------------------------------- Element

QString Element::name() const
{
    return m_node ? qs(m_node->name) : QString();
}

std::optional<QString> Element::attribute(const QString& name) const
{
    if (!m_node)
        return std::nullopt;
    const QByteArray n = name.toUtf8();
    xmlAttrPtr attr = xmlHasProp(m_node, xc(n));
    if (!attr)
        return std::nullopt;
    xmlChar* v = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attr));
    QString out = v ? qs(v) : QString(QLatin1String(""));
    xmlFree(v);
    return out;
}

void Element::setAttribute(const QString& name, const QString& value)
{
    if (m_node)
        xmlSetProp(m_node, xc(name.toUtf8()), xc(value.toUtf8()));
}

void Element::removeAttribute(const QString& name)
{
    if (!m_node)
        return;
    if (xmlAttrPtr attr = xmlHasProp(m_node, xc(name.toUtf8())))
        xmlRemoveProp(attr);
}

std::vector<QString> Element::attributeNames() const
{
    std::vector<QString> out;
    if (m_node)
        for (xmlAttrPtr a = m_node->properties; a; a = a->next)
            out.push_back(qs(a->name));
    return out;
}

Element Element::parent() const
{
    if (!m_node || !m_node->parent || m_node->parent->type != XML_ELEMENT_NODE)
        return Element();
    return Element(m_node->parent);
}

Element Element::firstChild(const QString& name) const
{
    if (!m_node)
        return Element();
    const QByteArray n = name.toUtf8();
    for (xmlNodePtr c = m_node->children; c; c = c->next)
        if (nameIs(c, n))
            return Element(c);
    return Element();
}

std::vector<Element> Element::children(const QString& name) const
{
    std::vector<Element> out;
    if (!m_node)
        return out;
    const QByteArray n = name.toUtf8();
    for (xmlNodePtr c = m_node->children; c; c = c->next)
        if (nameIs(c, n))
            out.emplace_back(c);
    return out;
}

Element Element::nextSibling(const QString& name) const
{
    if (!m_node)
        return Element();
    const QByteArray n = name.toUtf8();
    for (xmlNodePtr c = m_node->next; c; c = c->next)
        if (nameIs(c, n))
            return Element(c);
    return Element();
}

QString Element::stringValue() const
{
    if (!m_node)
        return QString();
    xmlChar* v = xmlNodeGetContent(m_node);
    QString out = v ? qs(v) : QString(QLatin1String(""));
    xmlFree(v);
    return out;
}

std::optional<QString> Element::childText(const QString& name) const
{
    Element c = firstChild(name);
    if (!c)
        return std::nullopt;
    return c.stringValue();
}

Element Element::appendElement(const QString& name, const std::optional<QString>& text)
{
    if (!m_node)
        return Element();
    xmlNodePtr child = xmlNewDocNode(m_node->doc, nullptr, xc(name.toUtf8()), nullptr);
    xmlAddChild(m_node, child);
    Element e(child);
    if (text)
        e.appendText(*text);
    return e;
}

void Element::appendText(const QString& text)
{
    if (!m_node || text.isEmpty())
        return;
    const QByteArray t = text.toUtf8();
    xmlAddChild(m_node, xmlNewDocTextLen(m_node->doc, xc(t), int(t.size())));
}

void Element::appendCData(const QString& text)
{
    if (!m_node)
        return;
    const QByteArray t = text.toUtf8();
    xmlAddChild(m_node, xmlNewCDataBlock(m_node->doc, xc(t), int(t.size())));
}

void Element::setText(const QString& text)
{
    if (!m_node)
        return;
    while (m_node->children) {
        xmlNodePtr c = m_node->children;
        xmlUnlinkNode(c);
        xmlFreeNode(c);
    }
    appendText(text);
}

Element Element::appendCopy(const Element& other)
{
    if (!m_node || !other.m_node)
        return Element();
    xmlNodePtr copy = xmlDocCopyNode(other.m_node, m_node->doc, 1);
    if (!copy)
        return Element();
    return Element(xmlAddChild(m_node, copy));
}

Element Element::insertCopyBefore(const Element& other)
{
    if (!m_node || !other.m_node)
        return Element();
    xmlNodePtr copy = xmlDocCopyNode(other.m_node, m_node->doc, 1);
    if (!copy)
        return Element();
    return Element(xmlAddPrevSibling(m_node, copy));
}

void Element::remove()
{
    if (!m_node)
        return;
    xmlUnlinkNode(m_node);
    xmlFreeNode(m_node);
    m_node = nullptr;
}

// ---------------------------------------------------------------- Document

Document::Document() = default;

Document::~Document()
{
    if (m_doc)
        xmlFreeDoc(m_doc);
}

Document::Document(Document&& o) noexcept : m_doc(o.m_doc)
{
    o.m_doc = nullptr;
}

Document& Document::operator=(Document&& o) noexcept
{
    if (this != &o) {
        if (m_doc)
            xmlFreeDoc(m_doc);
        m_doc = o.m_doc;
        o.m_doc = nullptr;
    }
    return *this;
}

Document Document::create(const QString& rootName)
{
    initOnce();
    xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    xmlNodePtr root = xmlNewDocNode(doc, nullptr, xc(rootName.toUtf8()), nullptr);
    xmlDocSetRootElement(doc, root);
    return Document(doc);
}

// Our documents never declare a document type. One that does could define entities that
// expand a few bytes into gigabytes or pull in other files, so the parser stops at the
// declaration itself and the document is refused: nothing is expanded or loaded, anywhere.
static void refuseDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    ctxt->_private = ctxt; // marks the refusal; the parse starts with it cleared
    xmlStopParser(ctxt);
}

static Document parseImpl(const QByteArray& bytes, const QString& where, bool recover, xmlDocPtr* out)
{
    initOnce();
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | (recover ? XML_PARSE_RECOVER : 0);
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> ctxt(xmlNewParserCtxt(), xmlFreeParserCtxt);
    if (!ctxt)
        throw Error(ErrorKind::Internal, QStringLiteral("cannot create an XML parser"), where);
    ctxt->sax->internalSubset = refuseDocumentType;
    if (bytes.size() > std::numeric_limits<int>::max())
        throw Error(ErrorKind::BadInput, QStringLiteral("the XML document is too large"), where);
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt.get(), bytes.constData(), int(bytes.size()), nullptr, nullptr, options);
    if (ctxt->_private) {
        if (doc)
            xmlFreeDoc(doc);
        throw Error(ErrorKind::BadInput,
                    QStringLiteral("the XML document declares a document type (<!DOCTYPE>), which is not allowed here"),
                    where);
    }
    const bool ok = doc && xmlDocGetRootElement(doc) && (recover || ctxt->wellFormed);
    if (!ok) {
        const xmlError* err = xmlCtxtGetLastError(ctxt.get());
        QString message = QStringLiteral("not well-formed XML");
        if (err && err->message)
            message = QStringLiteral("XML error at line %1: %2")
                          .arg(err->line)
                          .arg(QString::fromUtf8(err->message).trimmed());
        if (doc)
            xmlFreeDoc(doc);
        throw Error(ErrorKind::BadInput, message, where);
    }
    *out = doc;
    return Document();
}

Document Document::parse(const QByteArray& bytes, const QString& where)
{
    xmlDocPtr doc = nullptr;
    parseImpl(bytes, where, false, &doc);
    return Document(doc);
}

Document Document::parseRecovering(const QByteArray& bytes, const QString& where)
{
    xmlDocPtr doc = nullptr;
    parseImpl(bytes, where, true, &doc);
    return Document(doc);
}

Document Document::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::BadInput, QStringLiteral("cannot read the file"), path);
    const QByteArray bytes = f.readAll();
    try {
        return parse(bytes, path);
    } catch (const Error&) {
        return parseRecovering(bytes, path);
    }
}

Element Document::root() const
{
    return m_doc ? Element(xmlDocGetRootElement(m_doc)) : Element();
}

namespace {

QByteArray serialise(xmlDocPtr doc, xmlNodePtr node, Output output, const QString& indent, bool declaration)
{
    if (!doc)
        return QByteArray();
    // The indent string is a per-thread libxml2 setting; set it for this call and restore it.
    const QByteArray ind = indent.toUtf8().left(60);
    const char* savedIndent = xmlTreeIndentString;
    xmlThrDefTreeIndentString(ind.constData());
    xmlTreeIndentString = ind.constData();
    xmlBufferPtr buf = xmlBufferCreate();
    int options = XML_SAVE_AS_XML | (output == Output::Pretty ? XML_SAVE_FORMAT : 0) | (declaration ? 0 : XML_SAVE_NO_DECL);
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buf, "UTF-8", options);
    if (node)
        xmlSaveTree(save, node);
    else
        xmlSaveDoc(save, doc);
    xmlSaveClose(save);
    QByteArray out(reinterpret_cast<const char*>(xmlBufferContent(buf)), xmlBufferLength(buf));
    xmlBufferFree(buf);
    xmlTreeIndentString = savedIndent;
    return out;
}

} // namespace

QByteArray Document::toBytes(Output output, const QString& indent) const
{
    return serialise(m_doc, nullptr, output, indent, true);
}

QByteArray Document::rootBytes(Output output, const QString& indent) const
{
    return m_doc ? serialise(m_doc, xmlDocGetRootElement(m_doc), output, indent, false) : QByteArray();
}

QString escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&apos;"); break;
        default: out += c;
        }
    }
    return out;
}

} // namespace leafcraft::xml

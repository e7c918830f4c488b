// A small RAII layer over libxml2. Documents are parsed keeping whitespace and CDATA
// sections exactly, never load external entities or DTDs and never touch the network.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct _xmlNode;
struct _xmlDoc;

namespace leafcraft::xml {

// A borrowed handle to an element of a Document; valid while the document lives and the
// element is in it. A default-constructed Element is null.
class Element {
public:
    Element() = default;
    explicit Element(_xmlNode* node) : m_node(node) {}

    bool isNull() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }
    bool operator==(const Element& o) const { return m_node == o.m_node; }

    QString name() const;
    std::optional<QString> attribute(const QString& name) const;
    bool hasAttribute(const QString& name) const { return attribute(name).has_value(); }
    void setAttribute(const QString& name, const QString& value);
    void removeAttribute(const QString& name);
    // Attribute names in document order.
    std::vector<QString> attributeNames() const;

    Element parent() const;
    // The first child element called `name` (any name when empty), or a null Element.
    Element firstChild(const QString& name = QString()) const;
    // The child elements called `name` (all of them when empty), in document order.
    std::vector<Element> children(const QString& name = QString()) const;
    // The next sibling element called `name` (any when empty).
    Element nextSibling(const QString& name = QString()) const;
    // The text of all descendants, concatenated, whitespace and CDATA included.
    QString stringValue() const;
    // The string value of the first child element called `name`; nullopt when there is none.
    std::optional<QString> childText(const QString& name) const;

    // Appends a new child element (with `text` as its content when given) and returns it.
    Element appendElement(const QString& name, const std::optional<QString>& text = std::nullopt);
    void appendText(const QString& text);
    void appendCData(const QString& text);
    // Replaces all content with one text node.
    void setText(const QString& text);
    // Appends a deep copy of `other` (which may belong to another document); returns the copy.
    Element appendCopy(const Element& other);
    // Inserts a deep copy of `other` before this element (as its previous sibling).
    Element insertCopyBefore(const Element& other);
    // Unlinks this element from its document and frees it; the handle becomes null.
    void remove();

    _xmlNode* raw() const { return m_node; }

private:
    _xmlNode* m_node = nullptr;
};

enum class Output {
    Compact, // as it stands, no added whitespace
    Pretty   // one element per line, indented by `indent` per level
};

class Document {
public:
    Document();
    ~Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;

    // A new document with a root element called `rootName` (encoding UTF-8, version 1.0).
    static Document create(const QString& rootName);
    // Parses `bytes` keeping whitespace and CDATA. Throws Error(BadInput) naming `where` and
    // the line of the fault.
    static Document parse(const QByteArray& bytes, const QString& where = QString());
    // Like parse, but repairs broken markup where it can (the lenient fallback).
    static Document parseRecovering(const QByteArray& bytes, const QString& where = QString());
    // Reads a file and parses it strictly, then, when that fails, leniently. Throws
    // Error(BadInput) when the file cannot be read or neither parse gives a root element.
    static Document load(const QString& path);

    bool isNull() const { return m_doc == nullptr; }
    Element root() const;
    // The serialised document with its XML declaration, UTF-8. Pretty output indents each level
    // by `indent`; text content is never changed.
    QByteArray toBytes(Output output = Output::Pretty, const QString& indent = QStringLiteral("  ")) const;
    // The serialised root element alone, without declaration.
    QByteArray rootBytes(Output output = Output::Compact, const QString& indent = QStringLiteral("  ")) const;

    _xmlDoc* raw() const { return m_doc; }

private:
    explicit Document(_xmlDoc* doc) : m_doc(doc) {}
    _xmlDoc* m_doc = nullptr;
};

// Escapes the five markup characters for use in text or attribute values.
QString escape(const QString& text);

} // namespace leafcraft::xml

// One node of a template's typed property tree: a key, a display title and description,
// a current value held as text, and child properties that group further properties.
#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace leafcraft {

class Warnings;

namespace xml {
class Element;
}

// The type numbers of template properties; the names are what flashTemplate.xml writes in a
// property's `type` attribute (see templatePropertyTypeFromString).
enum TemplatePropertyType : int {
    pt_text = 0,
    pt_number = 1,
    pt_color = 2,
    pt_list = 3,
    pt_composite = 4,
    pt_file = 5,
    pt_list_fromFunction = 6,
    pt_form_security = 7,
    pt_font = 8,
    pt_form_contactabout = 9,
    pt_bool = 10
};

class TemplateProperty {
public:
    using Children = std::vector<std::unique_ptr<TemplateProperty>>;

    // A new property: type 0, title "Empty", every other text null, no children.
    TemplateProperty();
    ~TemplateProperty();
    TemplateProperty(const TemplateProperty&) = delete;
    TemplateProperty& operator=(const TemplateProperty&) = delete;

    // The enclosing property (a non-owning back-reference), null at the top level.
    TemplateProperty* parent() const { return m_parent; }
    void setParent(TemplateProperty* parent) { m_parent = parent; }

    int propertyType() const { return m_propertyType; }
    void setPropertyType(int type) { m_propertyType = type; }
    const QString& key() const { return m_key; }
    void setKey(const QString& key) { m_key = key; }
    const QString& title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    // The label of a boolean property's check box.
    const QString& aTitle() const { return m_aTitle; }
    void setATitle(const QString& aTitle) { m_aTitle = aTitle; }
    const QString& desc() const { return m_desc; }
    void setDesc(const QString& desc) { m_desc = desc; }
    const QString& value() const { return m_value; }
    void setValue(const QString& value) { m_value = value; }
    // The choices of a list property, separated by ",".
    const QString& valueSource() const { return m_valueSource; }
    void setValueSource(const QString& valueSource) { m_valueSource = valueSource; }
    const QString& defaultValue() const { return m_defaultValue; }
    void setDefaultValue(const QString& defaultValue) { m_defaultValue = defaultValue; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // The child properties in document order; the property owns them.
    const Children& childProperties() const { return m_childProperties; }
    // Takes the list over (the children are not copied). Their parent links are left as given.
    void setChildProperties(Children children) { m_childProperties = std::move(children); }
    // Appends a child, sets its parent to this property and returns it.
    TemplateProperty* appendChild(std::unique_ptr<TemplateProperty> child);
    int childCount() const { return int(m_childProperties.size()); }

    // Fills this property and its whole subtree from a `property` element:
    //
    //   <property type="pt_..." aType="...">       both attributes optional; any aType makes it pt_bool
    //     <key/> <title/> <desc/> <value/> <valueSource/> <defaultValue/>   required
    //     <aTitle/>                                optional ("" when absent)
    //     <childProperties> <property/>... </childProperties>              optional
    //   </property>
    //
    // Texts are the elements' whole string values, untrimmed; of repeated elements the first
    // counts. Returns false and leaves the property unchanged when the element is null, is not
    // called "property", or lacks one of the six required elements. A malformed child property
    // is skipped and the rest of the subtree loads. Every skipped element adds a warning to
    // `warnings` (when given) naming `where` (the document) and is logged.
    bool loadFromNode(const xml::Element& element, Warnings* warnings = nullptr, const QString& where = QString());

private:
    TemplateProperty* m_parent = nullptr;
    int m_propertyType = pt_text;
    QString m_key;
    QString m_title;
    QString m_aTitle;
    QString m_desc;
    QString m_value;
    QString m_valueSource;
    QString m_defaultValue;
    Children m_childProperties;
    bool m_readOnly = false;
};

} // namespace leafcraft

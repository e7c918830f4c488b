#include "templates/TemplateProperty.h"

#include "platform/Log.h"
#include "platform/Xml.h"
#include "support/Error.h"
#include "templates/StringUtil.h"

#include <array>
#include <optional>

namespace leafcraft {

namespace {

const std::array<QLatin1String, 6> requiredElements = {QLatin1String("key"),   QLatin1String("title"),
                                                       QLatin1String("desc"),  QLatin1String("value"),
                                                       QLatin1String("valueSource"),
                                                       QLatin1String("defaultValue")};

// The first required element a `property` element lacks, or an empty text.
QString missingRequiredElement(const xml::Element& element)
{
    for (const QLatin1String& name : requiredElements)
        if (!element.firstChild(name))
            return name;
    return QString();
}

void reportSkipped(Warnings* warnings, const QString& where, const xml::Element& element, const QString& missing)
{
    const std::optional<QString> key = element.childText(QStringLiteral("key"));
    const QString message = QStringLiteral("property %1 lacks its <%2> element and is skipped")
                                .arg(key ? QStringLiteral("\"%1\"").arg(*key) : QStringLiteral("without a key"),
                                     missing);
    LC_WARN((where.isEmpty() ? QString() : where + QLatin1String(": ")) + message);
    if (warnings)
        warnings->add(where, message);
}

} // namespace

TemplateProperty::TemplateProperty() : m_title(QStringLiteral("Empty")) {}

TemplateProperty::~TemplateProperty() = default;

TemplateProperty* TemplateProperty::appendChild(std::unique_ptr<TemplateProperty> child)
{
    child->setParent(this);
    m_childProperties.push_back(std::move(child));
    return m_childProperties.back().get();
}

bool TemplateProperty::loadFromNode(const xml::Element& element, Warnings* warnings, const QString& where)
{
    if (!element || element.name() != QLatin1String("property"))
        return false;
    const QString missing = missingRequiredElement(element);
    if (!missing.isEmpty()) {
        reportSkipped(warnings, where, element, missing);
        return false;
    }

    m_parent = nullptr;
    m_key = *element.childText(QStringLiteral("key"));
    m_title = *element.childText(QStringLiteral("title"));
    m_desc = *element.childText(QStringLiteral("desc"));
    m_value = *element.childText(QStringLiteral("value"));
    m_valueSource = *element.childText(QStringLiteral("valueSource"));
    m_defaultValue = *element.childText(QStringLiteral("defaultValue"));
    const std::optional<QString> typeName = element.attribute(QStringLiteral("type"));
    m_aTitle = element.childText(QStringLiteral("aTitle")).value_or(QString(QLatin1String("")));
    m_propertyType = templatePropertyTypeFromString(typeName.value_or(QString()));
    if (element.hasAttribute(QStringLiteral("aType")))
        m_propertyType = pt_bool;

    m_childProperties.clear();
    if (const xml::Element group = element.firstChild(QStringLiteral("childProperties"))) {
        for (const xml::Element& childElement : group.children(QStringLiteral("property"))) {
            auto child = std::make_unique<TemplateProperty>();
            if (child->loadFromNode(childElement, warnings, where))
                appendChild(std::move(child));
        }
    }
    return true;
}

} // namespace leafcraft

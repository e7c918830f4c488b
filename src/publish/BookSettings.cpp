#include "publish/BookSettings.h"

#include "templates/Template.h"

namespace leafcraft::bookdoc {

PropertyLookup bookSettings(const Template* tmpl, const QString& publishedTitle)
{
    return [tmpl, publishedTitle](const QString& key, const QString& defaultValue) {
        if (!tmpl)
            return defaultValue;
        if (key == QLatin1String("Title") && !publishedTitle.trimmed().isEmpty()) {
            const TemplateProperty* title = tmpl->findProperty(key);
            if (!title || title->value().isNull() || title->value() == title->defaultValue())
                return publishedTitle.trimmed();
        }
        return tmpl->propertyValueFor(key, defaultValue);
    };
}

} // namespace leafcraft::bookdoc

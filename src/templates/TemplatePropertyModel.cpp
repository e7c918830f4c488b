#include "templates/TemplatePropertyModel.h"

#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "templates/Template.h"
#include "templates/TemplateProperty.h"
#include "templates/StringUtil.h"

#include <QCoreApplication>
#include <cstdio>

namespace leafcraft {

TemplatePropertyModel::TemplatePropertyModel(QObject* parent) : QAbstractItemModel(parent) {}

void TemplatePropertyModel::setTemplate(Template* tmpl)
{
    beginResetModel();
    m_template = tmpl;
    endResetModel();
}

void TemplatePropertyModel::reload()
{
    beginResetModel();
    endResetModel();
}

TemplateProperty* TemplatePropertyModel::propertyAt(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TemplateProperty*>(index.internalPointer()) : nullptr;
}

const std::vector<std::unique_ptr<TemplateProperty>>*
TemplatePropertyModel::siblingsOf(const TemplateProperty* p) const
{
    if (!p || !m_template)
        return nullptr;
    return p->parent() ? &p->parent()->childProperties() : &m_template->properties();
}

QModelIndex TemplatePropertyModel::indexOf(const TemplateProperty* property, int column) const
{
    const auto* siblings = siblingsOf(property);
    if (!siblings)
        return QModelIndex();
    for (std::size_t row = 0; row < siblings->size(); ++row)
        if ((*siblings)[row].get() == property)
            return createIndex(int(row), column, const_cast<TemplateProperty*>(property));
    return QModelIndex();
}

void TemplatePropertyModel::selectionDidChange()
{
    NotificationCenter::defaultCenter().post(PropertyTipNotification, this);
}

QStringList TemplatePropertyModel::allowedFileExtensions(const QString& valueSource)
{
    if (valueSource.isNull())
        return {};
    QString text = valueSource;
    text.remove(QLatin1Char(';'));
    const QStringList pieces = text.split(QLatin1Char('|'));
    if (pieces.size() >= 2)
        text = pieces.at(1);
    return text.split(QStringLiteral("*."));
}

int TemplatePropertyModel::rowCount(const QModelIndex& parent) const
{
    if (!m_template || parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return int(m_template->properties().size());
    return propertyAt(parent)->childCount();
}

int TemplatePropertyModel::columnCount(const QModelIndex&) const
{
    return 2;
}

QModelIndex TemplatePropertyModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!m_template || row < 0 || column < 0 || column > 1)
        return QModelIndex();
    const auto& list = parent.isValid() ? propertyAt(parent)->childProperties() : m_template->properties();
    if (row >= int(list.size()))
        return QModelIndex();
    return createIndex(row, column, list[std::size_t(row)].get());
}

QModelIndex TemplatePropertyModel::parent(const QModelIndex& child) const
{
    TemplateProperty* p = propertyAt(child);
    if (!p || !p->parent())
        return QModelIndex();
    return indexOf(p->parent(), KeyColumn);
}

bool TemplatePropertyModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_template && !m_template->properties().empty();
    return parent.column() == 0 && propertyAt(parent)->childCount() > 0;
}

QVariant TemplatePropertyModel::data(const QModelIndex& index, int role) const
{
    const TemplateProperty* p = propertyAt(index);
    if (!p)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == KeyColumn)
            return p->title().isNull() ? QCoreApplication::translate("TemplatePropertyModel", "(Untitled)") : p->title();
        if (index.column() == ValueColumn) {
            if (p->propertyType() == pt_bool)
                return valueAsBool(p->value()) ? 1 : 0;
            return p->value().isNull() ? QCoreApplication::translate("TemplatePropertyModel", "(Unknown)") : p->value();
        }
        return {};
    case Qt::ToolTipRole: return p->desc();
    case PropertyTypeRole: return p->propertyType();
    case ValueSourceRole: return p->valueSource();
    case ATitleRole: return p->aTitle();
    case ChoicesRole: return p->valueSource().split(QLatin1Char(','));
    case ValueTextRole: return p->value();
    case DescriptionRole: return p->desc();
    default: return {};
    }
}

bool TemplatePropertyModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TemplateProperty* p = propertyAt(index);
    if (!p || index.column() != ValueColumn || role != Qt::EditRole)
        return false;
    QString newValue;
    switch (p->propertyType()) {
    case pt_color:
        newValue = value.toString();
        LC_DEBUG(QStringLiteral("color value is:%1").arg(newValue));
        break;
    case pt_list: {
        const QStringList choices = p->valueSource().split(QLatin1Char(','));
        bool ok = false;
        const int i = value.toInt(&ok);
        if (!ok || i < 0 || i >= choices.size())
            return false; // no item chosen: nothing to write
        newValue = choices.at(i);
        break;
    }
    case pt_bool: newValue = value.toBool() ? QStringLiteral("YES") : QStringLiteral("NO"); break;
    default: newValue = value.toString(); break;
    }
    if (newValue == p->value() && newValue.isNull() == p->value().isNull())
        return false;
    p->setValue(newValue);
    emit dataChanged(index.siblingAtColumn(KeyColumn), index.siblingAtColumn(ValueColumn));
    NotificationCenter::defaultCenter().post(PropertyValueChangedNotification, p);
    return true;
}

Qt::ItemFlags TemplatePropertyModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ValueColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TemplatePropertyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == KeyColumn ? QCoreApplication::translate("TemplatePropertyModel", "Property")
                                : QCoreApplication::translate("TemplatePropertyModel", "Value");
}

} // namespace leafcraft

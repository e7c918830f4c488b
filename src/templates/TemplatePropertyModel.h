// The property editor's data: the working template's property tree as a two-column item
// model ("key": the title, "value": the value), writing edited values back into the
// properties and announcing each change. The desktop app shows it in a tree view with one
// editor per property type; the model itself needs no widgets.
#pragma once

#include <QAbstractItemModel>
#include <QStringList>

namespace leafcraft {

class Template;
class TemplateProperty;

// Posted with the changed TemplateProperty as object, after a value was written back
// and differed from the old one.
inline const QString PropertyValueChangedNotification = QStringLiteral("TemplatePropertyValueChangedNotification");
// Posted with the TemplatePropertyModel as object on every change of the selected row.
inline const QString PropertyTipNotification = QStringLiteral("TemplatePropertyTipNotification");

class TemplatePropertyModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { KeyColumn = 0, ValueColumn = 1 };
    enum Role {
        PropertyTypeRole = Qt::UserRole + 1, // int, the property's type number
        ValueSourceRole,                     // QString
        ATitleRole,                          // QString, the check box label of pt_bool
        ChoicesRole,                         // QStringList, the pieces of valueSource for pt_list
        ValueTextRole,                       // QString, the raw value (null stays null)
        DescriptionRole                      // QString, desc
    };

    explicit TemplatePropertyModel(QObject* parent = nullptr);

    Template* bookTemplate() const { return m_template; }
    // Shows `tmpl`'s tree (borrowed; nullptr for an empty outline) and resets the model.
    void setTemplate(Template* tmpl);
    // Re-reads the tree after the template loaded other properties.
    void reload();

    TemplateProperty* propertyAt(const QModelIndex& index) const;
    QModelIndex indexOf(const TemplateProperty* property, int column = KeyColumn) const;

    // Called by the view whenever the selected row changes: posts PropertyTipNotification.
    void selectionDidChange();

    // The file extensions a file property allows, from its valueSource: every ";" removed,
    // split at "|" (the second piece is kept when there are two or more), then split at "*.".
    // An empty list means every file.
    static QStringList allowedFileExtensions(const QString& valueSource);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Value column only. pt_list takes the chosen item's index (int), pt_bool a bool, every
    // other type the text. Returns true when the value changed (and was announced).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const std::vector<std::unique_ptr<TemplateProperty>>* siblingsOf(const TemplateProperty* p) const;

    Template* m_template = nullptr;
};

} // namespace leafcraft

// Draws and edits the value column of the property outline, one kind of editor per
// property type: a colour swatch with the system colour dialog, a pop-up list, a file
// chooser limited to the property's extensions, a check box titled with aTitle, and text
// for every other type. Colours and files can also be typed or pasted.
#pragma once

#include <QStyledItemDelegate>

namespace leafcraft::gui {

class PropertyItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    // A cell's tooltip shows its whole text, which a narrow column cuts short.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    // The tooltip of a cell: a value's whole text; for a key or a switch, the model's tooltip.
    static QString toolTipFor(const QModelIndex& index);

    // Runs the colour dialog for a colour value; returns the new colour text or a null text.
    static QString chooseColor(QWidget* parent, const QString& current);
    // Runs the file dialog for a file value: the chosen path, or "" when cancelled or when the
    // file may not go into a book (a warning says why).
    static QString chooseFile(QWidget* parent, const QString& current, const QString& valueSource);

    // A typed colour or file as the value to store (a colour as 0xrrggbb, a file as an
    // absolute path), or a null text with `problem` saying what is wrong with it. Other
    // types come back as typed.
    static QString typedValue(int type, const QString& typed, const QString& valueSource, QString* problem);

private:
    static QRect buttonRect(const QRect& cell);
    static QRect swatchRect(const QRect& cell);
};

} // namespace leafcraft::gui

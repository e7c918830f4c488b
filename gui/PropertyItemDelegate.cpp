#include "PropertyItemDelegate.h"

#include "publish/FilePropertyCheck.h"
#include "templates/TemplatePropertyModel.h"
#include "templates/TemplateProperty.h"
#include "templates/ColorValue.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QHelpEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

namespace leafcraft::gui {

namespace {

using Model = TemplatePropertyModel;

int typeOf(const QModelIndex& index)
{
    return index.data(Model::PropertyTypeRole).toInt();
}

bool isValueCell(const QModelIndex& index)
{
    return index.column() == Model::ValueColumn;
}

QColor toQColor(const RgbColor& c)
{
    return QColor(c.red, c.green, c.blue);
}

} // namespace

QRect PropertyItemDelegate::buttonRect(const QRect& cell)
{
    return QRect(cell.right() - 18, cell.top() + (cell.height() - 16) / 2, 16, 16);
}

QRect PropertyItemDelegate::swatchRect(const QRect& cell)
{
    return QRect(cell.left() + 5, cell.top() + (cell.height() - 15) / 2, 15, 15);
}

QString PropertyItemDelegate::chooseColor(QWidget* parent, const QString& current)
{
    const QColor start = toQColor(colorFromHexRGB(current));
    const QColor chosen = QColorDialog::getColor(start, parent, QObject::tr("Choose a colour"));
    if (!chosen.isValid())
        return QString();
    return colorToHexRGB(chosen.redF(), chosen.greenF(), chosen.blueF());
}

QString PropertyItemDelegate::chooseFile(QWidget* parent, const QString& current, const QString& valueSource)
{
    QStringList patterns;
    for (const QString& ext : Model::allowedFileExtensions(valueSource))
        if (!ext.trimmed().isEmpty())
            patterns << QStringLiteral("*.") + ext.trimmed();
    QString filter = patterns.isEmpty() ? QObject::tr("All files (*)")
                                        : QObject::tr("Allowed files (%1)").arg(patterns.join(QLatin1Char(' ')));
    QFileDialog dialog(parent, QObject::tr("Choose a file"), QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!current.isEmpty())
        dialog.selectFile(QFileInfo(current).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QStringLiteral("");
    // A file that may not go into a book is refused here already; the value stays empty.
    const QString chosen = dialog.selectedFiles().constFirst();
    const QString problem = filePropertyProblem(valueSource, chosen);
    if (!problem.isEmpty()) {
        QMessageBox::warning(parent, QObject::tr("Choose a file"),
                             QObject::tr("%1 cannot go into a book: %2.").arg(chosen, problem));
        return QStringLiteral("");
    }
    return chosen;
}

void PropertyItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!isValueCell(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const int type = typeOf(index);
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    if (type == pt_bool) {
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        QStyleOptionButton box;
        box.rect = opt.rect.adjusted(4, 0, 0, 0);
        box.state = QStyle::State_Enabled | (index.data().toInt() ? QStyle::State_On : QStyle::State_Off);
        box.text = index.data(Model::ATitleRole).toString();
        style->drawControl(QStyle::CE_CheckBox, &box, painter, opt.widget);
        return;
    }
    if (type == pt_color) {
        const QString text = opt.text;
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const QRect swatch = swatchRect(opt.rect);
        painter->save();
        painter->setPen(QPen(Qt::gray, 1));
        painter->setBrush(toQColor(colorFromHexRGB(index.data(Model::ValueTextRole).toString())));
        painter->drawRect(swatch.adjusted(0, 0, -1, -1));
        painter->restore();
        const QRect textRect = opt.rect.adjusted(24, 0, -17, 0);
        painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                          opt.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
        return;
    }
    if (type == pt_file) {
        const QString path = opt.text;
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const QRect textRect = opt.rect.adjusted(4, 0, -20, 0);
        painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                          opt.fontMetrics.elidedText(path, Qt::ElideMiddle, textRect.width()));
        QStyleOptionButton button;
        button.rect = buttonRect(opt.rect);
        button.text = QStringLiteral("…");
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        style->drawControl(QStyle::CE_PushButton, &button, painter, opt.widget);
        return;
    }
    if (type == pt_list) {
        opt.text = index.data(Model::ValueTextRole).toString() + QStringLiteral("  ▾");
    }
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
}

QSize PropertyItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    return QSize(s.width() + 24, qMax(s.height(), 22));
}

QWidget* PropertyItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    if (!isValueCell(index))
        return nullptr;
    switch (typeOf(index)) {
    case pt_bool:
        return nullptr; // switched by a click (editorEvent)
    case pt_list: {
        auto* combo = new QComboBox(parent);
        combo->addItems(index.data(Model::ChoicesRole).toStringList());
        connect(combo, &QComboBox::activated, this, [this, combo] {
            emit const_cast<PropertyItemDelegate*>(this)->commitData(combo);
            emit const_cast<PropertyItemDelegate*>(this)->closeEditor(combo);
        });
        return combo;
    }
    default: return QStyledItemDelegate::createEditor(parent, option, index);
    }
}

void PropertyItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findText(index.data(Model::ValueTextRole).toString(), Qt::MatchExactly));
        combo->showPopup();
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(index.data(Model::ValueTextRole).toString());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void PropertyItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentIndex());
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        const int type = typeOf(index);
        if (type != pt_color && type != pt_file) {
            model->setData(index, line->text());
            return;
        }
        // A typed or pasted colour or file is taken as a picked one would be.
        QString problem;
        const QString value = typedValue(type, line->text(), index.data(Model::ValueSourceRole).toString(), &problem);
        if (problem.isEmpty()) {
            model->setData(index, value);
            return;
        }
        // Reported once the editor has gone: a box raised while it commits would end it twice.
        QWidget* parent = editor->window();
        const QString text = type == pt_color ? tr("%1 is not a colour: %2.").arg(line->text(), problem)
                                              : tr("%1 cannot go into a book: %2.").arg(line->text(), problem);
        QTimer::singleShot(0, parent, [parent, text] { QMessageBox::warning(parent, tr("Property value"), text); });
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

QString PropertyItemDelegate::typedValue(int type, const QString& typed, const QString& valueSource, QString* problem)
{
    problem->clear();
    QString text = typed.trimmed();
    if (type == pt_color) {
        // 0xRRGGBB as the colour dialog writes it; also #RRGGBB, RRGGBB, #RGB and colour names.
        QString digits = text;
        if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            digits = digits.mid(2);
        else if (digits.startsWith(QLatin1Char('#')))
            digits = digits.mid(1);
        static const QRegularExpression hex(QStringLiteral("^([0-9a-fA-F]{3}|[0-9a-fA-F]{6})$"));
        QColor colour;
        if (hex.match(digits).hasMatch())
            colour = QColor(QLatin1Char('#') + digits);
        else if (QColor::isValidColorName(text) && !text.startsWith(QLatin1Char('#')))
            colour = QColor::fromString(text);
        if (!colour.isValid()) {
            *problem = tr("write it as 0xRRGGBB, #RRGGBB or a colour name");
            return QString();
        }
        return colorToHexRGB(RgbColor{colour.red(), colour.green(), colour.blue()});
    }
    if (type == pt_file) {
        if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
            text = text.mid(1, text.size() - 2);
        if (text.startsWith(QLatin1String("file:")))
            text = QUrl(text).toLocalFile();
        if (text.isEmpty())
            return QStringLiteral(""); // no file, as a cancelled chooser leaves it
        text = QDir::fromNativeSeparators(text);
        if (text.startsWith(QLatin1String("~/")))
            text = QDir::homePath() + text.mid(1);
        *problem = filePropertyProblem(valueSource, text);
        return problem->isEmpty() ? QFileInfo(text).absoluteFilePath() : QString();
    }
    return typed;
}

bool PropertyItemDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                       const QModelIndex& index)
{
    if (!isValueCell(index) || event->type() != QEvent::MouseButtonRelease)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    QWidget* parent = const_cast<QWidget*>(option.widget);
    switch (typeOf(index)) {
    case pt_bool:
        model->setData(index, !index.data().toInt());
        return true;
    case pt_color:
        if (swatchRect(option.rect).contains(mouse->position().toPoint())) {
            const QString chosen = chooseColor(parent, index.data(Model::ValueTextRole).toString());
            if (!chosen.isNull())
                model->setData(index, chosen);
            return true;
        }
        return false;
    case pt_file:
        if (buttonRect(option.rect).contains(mouse->position().toPoint())) {
            model->setData(index, chooseFile(parent, index.data(Model::ValueTextRole).toString(),
                                             index.data(Model::ValueSourceRole).toString()));
            return true;
        }
        return false;
    default: return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
}

QString PropertyItemDelegate::toolTipFor(const QModelIndex& index)
{
    // A value shows itself whole (the description has its own box); a key, or a switch, shows
    // what the model offers.
    const QString explicitTip = index.data(Qt::ToolTipRole).toString();
    if (!isValueCell(index) || typeOf(index) == pt_bool)
        return explicitTip;
    const QString value = index.data(Qt::DisplayRole).toString();
    return value.isEmpty() ? explicitTip : value;
}

bool PropertyItemDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                     const QModelIndex& index)
{
    if (event && event->type() == QEvent::ToolTip && index.isValid()) {
        const QString tip = toolTipFor(index);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPos(), tip.toHtmlEscaped().prepend(QStringLiteral("<p>")), view,
                               view->visualRect(index));
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

} // namespace leafcraft::gui

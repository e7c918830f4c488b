// The template selection dialog: the installed templates with their icons on the left, the
// styles of the selected template as pictures with names on the right. A double click on a
// style confirms; OK is enabled only while a style is selected. It hands the chosen style
// back; the controller switches the template.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace leafcraft::gui {

class SelectTemplateDialog : public QDialog {
    Q_OBJECT
public:
    explicit SelectTemplateDialog(QWidget* parent = nullptr);

    // Refreshes the template list, selects the template named `name` (letter case ignored)
    // and shows its styles.
    void selectTemplate(const QString& name);
    // Selects the style named `styleName` of the shown template, when there is one.
    void selectStyle(const QString& styleName);
    // The chosen style's shot.jpg path, or a null text when no style is selected.
    QString selectedStyle() const;

    void reloadTemplateList();
    void reloadStylesForTemplate(const QString& name);

    QListWidget* templateList() const { return m_templates; }
    QListWidget* styleList() const { return m_styles; }
    QPushButton* okButton() const { return m_ok; }

private:
    QListWidget* m_templates;
    QListWidget* m_styles;
    QPushButton* m_ok;
};

} // namespace leafcraft::gui

#include "SelectTemplateDialog.h"

#include "templates/Template.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace leafcraft::gui {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

SelectTemplateDialog::SelectTemplateDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Choose a template"));
    setWindowModality(Qt::WindowModal);
    resize(820, 520);
    m_templates = new QListWidget(this);
    m_templates->setObjectName(QStringLiteral("templates"));
    m_templates->setIconSize(QSize(32, 32));
    m_templates->setMaximumWidth(220);
    m_templates->setUniformItemSizes(true);
    m_styles = new QListWidget(this);
    m_styles->setObjectName(QStringLiteral("styles"));
    m_styles->setViewMode(QListView::IconMode);
    m_styles->setIconSize(QSize(200, 150));
    m_styles->setResizeMode(QListView::Adjust);
    m_styles->setMovement(QListView::Static);
    m_styles->setSpacing(10);
    m_styles->setWordWrap(true);

    auto* lists = new QHBoxLayout;
    lists->addWidget(m_templates);
    lists->addWidget(m_styles, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* refresh = buttons->addButton(tr("Refresh"), QDialogButtonBox::ResetRole);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    connect(m_styles, &QListWidget::itemSelectionChanged, this,
            [this] { m_ok->setEnabled(!m_styles->selectedItems().isEmpty()); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] { done(1); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(0); });
    connect(refresh, &QPushButton::clicked, this, &SelectTemplateDialog::reloadTemplateList);
    connect(m_templates, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            reloadStylesForTemplate(item->text());
    });
    connect(m_styles, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_styles->setCurrentItem(item);
        done(1);
    });
    reloadTemplateList();
}

void SelectTemplateDialog::reloadTemplateList()
{
    const QString current = m_templates->currentItem() ? m_templates->currentItem()->text() : QString();
    QSignalBlocker block(m_templates);
    m_templates->clear();
    for (const QString& path : Template::templateNames()) {
        const QString name = QFileInfo(path).fileName();
        auto* item = new QListWidgetItem(QIcon(path + QLatin1String("/icon.png")), name, m_templates);
        item->setData(kPathRole, path);
        item->setSizeHint(QSize(0, 35));
        if (name == current)
            m_templates->setCurrentItem(item);
    }
}

void SelectTemplateDialog::reloadStylesForTemplate(const QString& name)
{
    m_styles->clear();
    for (const QString& folder : Template::styleNamesForTemplate(name)) {
        const QString shot = folder + QLatin1String("/shot.jpg");
        QImageReader reader(shot);
        const QImage image = reader.read();
        auto* item = new QListWidgetItem(m_styles);
        item->setText(QFileInfo(folder).fileName());
        if (!image.isNull())
            item->setIcon(QIcon(QPixmap::fromImage(image)));
        item->setData(kPathRole, shot);
    }
}

void SelectTemplateDialog::selectTemplate(const QString& name)
{
    reloadTemplateList();
    QListWidgetItem* match = nullptr;
    for (int i = 0; i < m_templates->count(); ++i)
        if (m_templates->item(i)->text().toUpper() == name.toUpper())
            match = m_templates->item(i);
    {
        QSignalBlocker block(m_templates);
        m_templates->setCurrentItem(match);
    }
    reloadStylesForTemplate(match ? match->text() : name);
}

void SelectTemplateDialog::selectStyle(const QString& styleName)
{
    for (int i = 0; i < m_styles->count(); ++i) {
        if (m_styles->item(i)->text() == styleName) {
            m_styles->setCurrentItem(m_styles->item(i));
            m_styles->scrollToItem(m_styles->item(i));
            return;
        }
    }
}

QString SelectTemplateDialog::selectedStyle() const
{
    const QList<QListWidgetItem*> selected = m_styles->selectedItems();
    if (selected.isEmpty())
        return QString();
    return selected.constFirst()->data(kPathRole).toString();
}

} // namespace leafcraft::gui

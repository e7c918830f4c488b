#include "MainWindow.h"

#include "AboutDialog.h"
#include "Artwork.h"
#include "ImportDialog.h"
#include "PageEditorWindow.h"
#include "PropertyItemDelegate.h"
#include "PublishDialog.h"
#include "SelectTemplateDialog.h"

#include "app/QuiremarkAppDelegate.h"
#include "templates/FlashTemplateOutlineDelegate.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace leafcraft::gui {

MainWindow::MainWindow()
{
    setWindowIcon(namedIcon(QStringLiteral("app")));
    auto* splitter = new QSplitter(this);

    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 4, 4);
    m_outline = new QTreeView(left);
    m_outline->setIndentation(8);
    m_outline->setAlternatingRowColors(true);
    m_outline->setItemDelegate(new PropertyItemDelegate(m_outline));
    m_outline->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                               | QAbstractItemView::EditKeyPressed);
    m_outline->setObjectName(QStringLiteral("propertyOutline"));
    leftLayout->addWidget(m_outline, 1);

    m_tipBox = new QGroupBox(left);
    auto* tipLayout = new QVBoxLayout(m_tipBox);
    m_tip = new QTextEdit(m_tipBox);
    m_tip->setReadOnly(true);
    m_tip->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_tip->setMaximumHeight(110);
    tipLayout->addWidget(m_tip);
    leftLayout->addWidget(m_tipBox);

    m_webView = new QWebEngineView(splitter);
    m_webView->setObjectName(QStringLiteral("preview"));
    splitter->addWidget(left);
    splitter->addWidget(m_webView);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({380, 900});
    setCentralWidget(splitter);
}

MainWindow::~MainWindow() = default;

void MainWindow::setDelegate(QuiremarkAppDelegate* delegate)
{
    m_delegate = delegate;
    buildToolBar();
}

QAction* MainWindow::addCommand(const QString& name, const QString& text, const QString& tip,
                                void (QuiremarkAppDelegate::*slot)())
{
    auto* a = new QAction(namedIcon(name), text, this);
    a->setToolTip(tip);
    a->setObjectName(name);
    if (slot)
        connect(a, &QAction::triggered, m_delegate, slot);
    m_actions.insert(name, a);
    return a;
}

QAction* MainWindow::action(const QString& name) const
{
    return m_actions.value(name);
}

void MainWindow::buildToolBar()
{
    QToolBar* bar = addToolBar(tr("Commands"));
    bar->setObjectName(QStringLiteral("commands"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(32, 32));
    bar->addAction(addCommand(QStringLiteral("import"), tr("Import PDF"), tr("Import a PDF document"),
                              &QuiremarkAppDelegate::OnImportPDF));
    bar->addAction(addCommand(QStringLiteral("template"), tr("Template"), tr("Choose a template and style"),
                              &QuiremarkAppDelegate::onSelectTemplate));
    bar->addAction(addCommand(QStringLiteral("publish"), tr("Publish"), tr("Publish the book"),
                              &QuiremarkAppDelegate::OnExportFlipBook));
    bar->addAction(addCommand(QStringLiteral("editor"), tr("Page editor"),
                              tr("Place pictures, movies, sounds and links on the pages"),
                              &QuiremarkAppDelegate::OnPageEditor));
    bar->addSeparator();
    m_applyAction = addCommand(QStringLiteral("apply"), tr("Apply change"), tr("Show the changes in the preview"),
                               &QuiremarkAppDelegate::OnApplyChange);
    bar->addAction(m_applyAction);
    bar->addSeparator();
    bar->addAction(addCommand(QStringLiteral("export"), tr("Export settings"), tr("Save the property values"),
                              &QuiremarkAppDelegate::OnExportTmplSettings));
    bar->addAction(addCommand(QStringLiteral("importSettings"), tr("Import settings"), tr("Load property values"),
                              &QuiremarkAppDelegate::OnImportTmplSettings));
    bar->addSeparator();
    bar->addAction(addCommand(QStringLiteral("help"), tr("Help"), tr("Open the user manual"),
                              &QuiremarkAppDelegate::OnOpenHelp));
    bar->addAction(addCommand(QStringLiteral("about"), tr("About"), tr("About Leafcraft"),
                              &QuiremarkAppDelegate::onOpenAbout));
}

void MainWindow::hideWindow()
{
    hide();
}

void MainWindow::showAndActivate()
{
    show();
    raise();
    activateWindow();
}

void MainWindow::setWindowTitle(const QString& title)
{
    QMainWindow::setWindowTitle(title);
}

void MainWindow::fillScreen()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(QRect(QPoint(0, 0), screen->availableGeometry().size()));
    else
        setGeometry(QRect());
    update();
}

void MainWindow::loadPreview(const QString& htmlPath)
{
    m_webView->load(QUrl::fromLocalFile(htmlPath));
}

void MainWindow::reloadPropertyOutline(bool expandAll)
{
    if (!m_delegate || !m_delegate->tmplDelegate())
        return;
    FlashTemplateOutlineDelegate* model = m_delegate->tmplDelegate();
    if (m_outline->model() != model) {
        // The view keeps this selection model across the model's resets (template changes).
        m_outline->setModel(model);
        connect(m_outline->selectionModel(), &QItemSelectionModel::currentRowChanged, model,
                &FlashTemplateOutlineDelegate::selectionDidChange);
        m_outline->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    } else {
        model->reload();
    }
    if (expandAll)
        m_outline->expandAll();
}

FlashTemplateProperty* MainWindow::selectedProperty() const
{
    if (!m_delegate || !m_delegate->tmplDelegate() || !m_outline->selectionModel())
        return nullptr;
    return m_delegate->tmplDelegate()->propertyAt(m_outline->selectionModel()->currentIndex());
}

void MainWindow::showPropertyTip(const QString& title, const QString& description)
{
    m_tipBox->setTitle(title);
    m_tip->setPlainText(description);
}

void MainWindow::setApplyChangeImage(const QString& name)
{
    if (m_applyAction)
        m_applyAction->setIcon(namedIcon(name));
}

void MainWindow::setBusy(bool busy)
{
    if (busy) {
        if (m_busy++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busy > 0 && --m_busy == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void MainWindow::beginImportSheet()
{
    auto* dialog = new ImportDialog(this);
    connect(dialog, &QDialog::finished, this, [this, dialog](int code) {
        ImportResult result = dialog->result();
        dialog->deleteLater();
        m_delegate->importWindowDidEnd(code, result);
    });
    dialog->open();
}

void MainWindow::beginSelectTemplateSheet(const QString& currentTmplName)
{
    auto* dialog = new SelectTemplateDialog(this);
    dialog->prepairToTmpl(currentTmplName);
    connect(dialog, &QDialog::finished, this, [this, dialog](int code) {
        const QString style = dialog->selectedStyle();
        dialog->deleteLater();
        m_delegate->selectTmplWindowDidEnd(code, style);
    });
    dialog->open();
}

void MainWindow::beginPublishSheet(std::shared_ptr<FlashTemplate> tmpl, std::shared_ptr<FlashPageSource> pages,
                                   std::shared_ptr<FlashOutline> outline,
                                   std::shared_ptr<FlashPagesAnnotations> annotations)
{
    auto* dialog = new PublishDialog(this);
    dialog->setFlashTmpl(std::move(tmpl));
    dialog->setFlashPageSource(std::move(pages));
    dialog->setFlashOutline(std::move(outline));
    dialog->setFlashPagesAnnotations(std::move(annotations));
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    dialog->open();
}

void MainWindow::beginPageEditorSheet(const QString& workingFolder)
{
    auto* editor = new PageEditorWindow(this);
    connect(editor, &QDialog::finished, this, [this, editor](int code) {
        editor->deleteLater();
        m_delegate->pageEditorWindowDidEnd(code);
    });
    if (!editor->openFolder(workingFolder)) {
        showError(editor->errorText());
        editor->deleteLater();
        m_delegate->pageEditorWindowDidEnd(0);
        return;
    }
    editor->open();
}

QString MainWindow::askSaveFile(const QString& title)
{
    return QFileDialog::getSaveFileName(this, title);
}

QString MainWindow::askOpenFile(const QString& title, const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& e : extensions)
        patterns << QStringLiteral("*.") + e;
    return QFileDialog::getOpenFileName(this, title, QString(), tr("Settings files (%1)").arg(patterns.join(' ')));
}

void MainWindow::openWithDefaultApp(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

void MainWindow::showError(const QString& message)
{
    QMessageBox::warning(this, tr("Leafcraft"), message);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    emit closing();
    event->accept();
}

} // namespace leafcraft::gui

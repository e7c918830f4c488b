#include "MainWindow.h"

#include "AboutDialog.h"
#include "Artwork.h"
#include "DesktopOpen.h"
#include "LongTask.h"
#include "ImportDialog.h"
#include "PageEditorWindow.h"
#include "PropertyItemDelegate.h"
#include "PublishDialog.h"
#include "SelectTemplateDialog.h"

#include "app/AppController.h"
#include "templates/Template.h"
#include "templates/TemplatePropertyModel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QScrollBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>
#include <algorithm>

namespace leafcraft::gui {

namespace {

// The property outline. Clicking a value (or moving to it) scrolls only up and down: the value
// column may be wider than the view, and scrolling sideways to it would hide the names.
class PropertyTreeView : public QTreeView {
public:
    using QTreeView::QTreeView;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override
    {
        const int sideways = horizontalScrollBar()->value();
        QTreeView::scrollTo(index, hint);
        horizontalScrollBar()->setValue(sideways);
    }
};

} // namespace

MainWindow::MainWindow()
{
    setWindowIcon(namedIcon(QStringLiteral("app")));
    auto* splitter = new QSplitter(this);

    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 4, 4);
    m_outline = new PropertyTreeView(left);
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

void MainWindow::setDelegate(AppController* delegate)
{
    m_delegate = delegate;
    buildToolBar();
}

QAction* MainWindow::addCommand(const QString& name, const QString& text, const QString& iconText,
                                const QString& tip, const QKeySequence& shortcut,
                                void (AppController::*slot)())
{
    auto* a = new QAction(namedIcon(name), text, this);
    a->setIconText(iconText);
    a->setToolTip(shortcut.isEmpty() ? tip
                                     : QStringLiteral("%1 (%2)").arg(tip, shortcut.toString(QKeySequence::NativeText)));
    a->setObjectName(name);
    a->setShortcut(shortcut);
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
    bar->addAction(addCommand(QStringLiteral("import"), tr("&Import PDF…"), tr("Import PDF"),
                              tr("Import a PDF document"), QKeySequence::Open, &AppController::onImportPdf));
    bar->addAction(addCommand(QStringLiteral("template"), tr("&Select Template…"), tr("Template"),
                              tr("Choose a template and style"), QKeySequence(),
                              &AppController::onSelectTemplate));
    bar->addAction(addCommand(QStringLiteral("publish"), tr("&Publish…"), tr("Publish"), tr("Publish the book"),
                              QKeySequence::Print, &AppController::onExportBook));
    bar->addAction(addCommand(QStringLiteral("editor"), tr("Page &Editor…"), tr("Page editor"),
                              tr("Place pictures, movies, sounds and links on the pages"), QKeySequence(),
                              &AppController::onPageEditor));
    bar->addSeparator();
    m_applyAction = addCommand(QStringLiteral("apply"), tr("&Apply Change"), tr("Apply change"),
                               tr("Show the changes in the preview"), QKeySequence(Qt::CTRL | Qt::Key_R),
                               &AppController::onApplyChange);
    bar->addAction(m_applyAction);
    bar->addSeparator();
    bar->addAction(addCommand(QStringLiteral("export"), tr("E&xport Settings…"), tr("Export settings"),
                              tr("Save the property values"), QKeySequence(),
                              &AppController::onExportTemplateSettings));
    bar->addAction(addCommand(QStringLiteral("importSettings"), tr("I&mport Settings…"), tr("Import settings"),
                              tr("Load property values"), QKeySequence(), &AppController::onImportTemplateSettings));
    bar->addSeparator();
    bar->addAction(addCommand(QStringLiteral("help"), tr("Leafcraft &Manual"), tr("Help"), tr("Open the user manual"),
                              QKeySequence::HelpContents, &AppController::onOpenHelp));
    bar->addAction(addCommand(QStringLiteral("about"), tr("&About Leafcraft"), tr("About"), tr("About Leafcraft"),
                              QKeySequence(), &AppController::onOpenAbout));
    buildMenuBar();
}

void MainWindow::buildMenuBar()
{
    // The tool bar's commands, on the same actions, plus Quit.
    QAction* quit = addCommand(QStringLiteral("quit"), tr("&Quit"), tr("Quit"), tr("Quit Leafcraft"),
                               QKeySequence(Qt::CTRL | Qt::Key_Q), nullptr);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addActions({action(QStringLiteral("import")), action(QStringLiteral("publish"))});
    file->addSeparator();
    file->addActions({action(QStringLiteral("export")), action(QStringLiteral("importSettings"))});
    file->addSeparator();
    file->addAction(quit);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addActions({action(QStringLiteral("template")), action(QStringLiteral("apply"))});
    edit->addSeparator();
    edit->addAction(action(QStringLiteral("editor")));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(action(QStringLiteral("help")));
    help->addSeparator();
    help->addAction(action(QStringLiteral("about")));
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
    // The frame, title bar included, fills the available area (without panels and docks).
    // The window manager's frame is known only once it has decorated the window, so the
    // placement is checked again for a few seconds until the frame is known and in place.
    fitFrameToScreen();
    if (!m_fitTimer) {
        m_fitTimer = new QTimer(this);
        m_fitTimer->setInterval(200);
        connect(m_fitTimer, &QTimer::timeout, this, [this] {
            if (++m_fitTicks > 25) {
                m_fitTimer->stop();
                return;
            }
            const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
            if (!frame.isNull() && frameGeometry() == availableArea()) {
                m_fitTimer->stop();
                return;
            }
            fitFrameToScreen();
        });
    }
    m_fitTicks = 0;
    m_fitTimer->start();
    update();
}

QRect MainWindow::availableArea() const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void MainWindow::fitFrameToScreen()
{
    const QRect available = availableArea();
    if (available.isNull()) {
        setGeometry(QRect());
        return;
    }
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    // resize() sets the inside, move() the frame's position.
    resize(available.size().shrunkBy(frame));
    move(available.topLeft());
}

void MainWindow::loadPreview(const QString& htmlPath)
{
    m_webView->load(QUrl::fromLocalFile(htmlPath));
}

void MainWindow::reloadPropertyOutline(bool expandAll)
{
    if (!m_delegate || !m_delegate->templateDelegate())
        return;
    TemplatePropertyModel* model = m_delegate->templateDelegate();
    if (m_outline->model() != model) {
        // The view keeps this selection model across the model's resets (template changes).
        m_outline->setModel(model);
        connect(m_outline->selectionModel(), &QItemSelectionModel::currentRowChanged, model,
                &TemplatePropertyModel::selectionDidChange);
        // Both columns can be resized; the value column may be widened past the view (which
        // then scrolls), and a value's tooltip shows the whole of it.
        QHeaderView* header = m_outline->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::Interactive);
        m_outline->resizeColumnToContents(0);
        header->resizeSection(1, std::max(220, m_outline->viewport()->width() - header->sectionSize(0)));
    } else {
        model->reload();
    }
    if (expandAll)
        m_outline->expandAll();
}

TemplateProperty* MainWindow::selectedProperty() const
{
    if (!m_delegate || !m_delegate->templateDelegate() || !m_outline->selectionModel())
        return nullptr;
    return m_delegate->templateDelegate()->propertyAt(m_outline->selectionModel()->currentIndex());
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
        // The controller's work may run an event loop (the progress of the preview): the
        // dialog is released only afterwards, so that it is not deleted while it still emits.
        m_delegate->importFinished(code, dialog->result());
        dialog->deleteLater();
    });
    dialog->open();
}

void MainWindow::beginSelectTemplateSheet(const QString& currentTmplName)
{
    auto* dialog = new SelectTemplateDialog(this);
    dialog->selectTemplate(currentTmplName);
    if (m_delegate && m_delegate->bookTemplate())
        dialog->selectStyle(m_delegate->bookTemplate()->styleName());
    connect(dialog, &QDialog::finished, this, [this, dialog](int code) {
        m_delegate->templateSelectionFinished(code, dialog->selectedStyle());
        dialog->deleteLater();
    });
    dialog->open();
}

void MainWindow::beginPublishSheet(std::shared_ptr<Template> tmpl, std::shared_ptr<PageSource> pages,
                                   std::shared_ptr<Outline> outline,
                                   std::shared_ptr<PageLinks> annotations)
{
    auto* dialog = new PublishDialog(this);
    dialog->setTemplate(std::move(tmpl));
    dialog->setPageSource(std::move(pages));
    dialog->setOutline(std::move(outline));
    dialog->setPageLinks(std::move(annotations));
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
    openOrComplain(this, path);
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

bool MainWindow::askYesNo(const QString& message)
{
    return QMessageBox::question(this, tr("Leafcraft"), message, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

std::exception_ptr MainWindow::runLongWork(const QString& what,
                                           const std::function<void(const ProgressCallback&)>& work)
{
    LongTask task(this, what, what);
    return task.run(work);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    emit closing();
    event->accept();
}

} // namespace leafcraft::gui

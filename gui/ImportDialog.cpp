#include "ImportDialog.h"

#include <QMessageBox>

#include "DesktopOpen.h"

#include "app/AppSettings.h"
#include "import/PdfPageSource.h"
#include "import/ImportPDFOperation.h"
#include "platform/Log.h"
#include "platform/PdfDocument.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace leafcraft::gui {

ImportDialog::ImportDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Import PDF"));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(520);

    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("file"));
    m_browse = new QPushButton(tr("Browse…"), this);
    auto* open = new QPushButton(tr("Open"), this);
    open->setToolTip(tr("Open the PDF in the default viewer"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_browse);
    fileRow->addWidget(open);

    m_rangeChoice = new QButtonGroup(this);
    auto* all = new QRadioButton(tr("All pages"), this);
    auto* some = new QRadioButton(tr("Pages:"), this);
    m_rangeChoice->addButton(all, 0);
    m_rangeChoice->addButton(some, 1);
    m_range = new QLineEdit(this);
    m_range->setPlaceholderText(tr("e.g. 1-3,7"));
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(all);
    rangeRow->addWidget(some);
    rangeRow->addWidget(m_range, 1);

    m_quality = new QComboBox(this);
    m_quality->addItems({tr("Best"), tr("High"), tr("Medium"), tr("Low"), tr("Smallest")});

    m_formatChoice = new QButtonGroup(this);
    auto* svg = new QRadioButton(tr("Vector (SVG)"), this);
    svg->setToolTip(tr("Pages drawn as in the PDF: sharp at every zoom and a fraction of the bytes. "
                       "A page that is lighter as a picture (a scan) becomes a JPG page."));
    auto* jpg = new QRadioButton(tr("JPG pages"), this);
    jpg->setToolTip(tr("Every page a picture: the same in every browser, soft when zoomed."));
    auto* swf = new QRadioButton(tr("SWF pages"), this);
    swf->setToolTip(tr("Pages for the Flash player; browsers show the JPG picture beside each."));
    m_formatChoice->addButton(swf, 0);
    m_formatChoice->addButton(jpg, 1);
    m_formatChoice->addButton(svg, 2);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(svg);
    formatRow->addWidget(jpg);
    formatRow->addWidget(swf);
    formatRow->addStretch(1);

    m_links = new QCheckBox(tr("Import links"), this);
    m_bookmarks = new QCheckBox(tr("Import bookmarks"), this);
    m_zoomPictures = new QCheckBox(tr("Sharp zoom pictures"), this);
    m_zoomPictures->setToolTip(tr("Also make pictures at twice the page size, so that zoomed pages stay sharp "
                                  "(the book grows about fourfold)."));
    m_allowText = new QCheckBox(tr("Publish text the PDF forbids copying"), this);
    m_allowText->setToolTip(tr("Some PDFs forbid copying their text. Their text is left out of the book's search "
                               "and screen-reader text unless this is checked."));
    auto* switches = new QHBoxLayout;
    switches->addWidget(m_links);
    switches->addWidget(m_bookmarks);
    switches->addStretch(1);
    auto* readerSwitches = new QHBoxLayout;
    readerSwitches->addWidget(m_zoomPictures);
    readerSwitches->addWidget(m_allowText);
    readerSwitches->addStretch(1);

    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("info"));
    m_info->setWordWrap(true);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 0); // turns until the first page is counted
    // The label and the bar keep their room while hidden, so the buttons stay in place.
    for (QWidget* w : {static_cast<QWidget*>(m_info), static_cast<QWidget*>(m_progress)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(tr("Import"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);

    auto* form = new QFormLayout;
    form->addRow(tr("PDF file:"), fileRow);
    form->addRow(tr("Range:"), rangeRow);
    form->addRow(tr("Quality:"), m_quality);
    form->addRow(tr("Pages as:"), formatRow);
    form->addRow(QString(), switches);
    form->addRow(QString(), readerSwitches);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_info);
    layout->addWidget(m_progress);
    layout->addWidget(buttons);

    m_controls = {m_ok, m_file, m_quality, all, some, svg, swf, jpg, m_links, m_bookmarks, m_zoomPictures, m_allowText, m_browse};

    connect(m_ok, &QPushButton::clicked, this, &ImportDialog::onImportAction);
    connect(cancel, &QPushButton::clicked, this, &ImportDialog::onCancelAction);
    connect(m_browse, &QPushButton::clicked, this, &ImportDialog::onBrowseFileAction);
    connect(open, &QPushButton::clicked, this, &ImportDialog::onOpenTheFileAction);
    connect(m_rangeChoice, &QButtonGroup::idClicked, this, [this] { enableButtons(true); });
    // A message about the previous file goes once another file is chosen.
    connect(m_file, &QLineEdit::textChanged, this, [this] {
        if (!m_importing)
            m_info->setVisible(false);
    });

    // Fill the controls from the remembered options.
    const AppSettings& s = AppSettings::instance();
    m_file->setText(s.lastImportedFile());
    if (QAbstractButton* b = m_rangeChoice->button(s.importPageRangeType()))
        b->setChecked(true);
    else
        all->setChecked(true);
    m_range->setText(s.importPageRange());
    m_quality->setCurrentIndex(s.importQualityLevel() >= 0 && s.importQualityLevel() < 5 ? s.importQualityLevel() : 0);
    m_links->setChecked(s.importLinks() == 1);
    m_bookmarks->setChecked(s.importBookmark() == 1);
    m_zoomPictures->setChecked(s.importZoomPictures() == 1);
    m_allowText->setChecked(s.importAllowText() == 1);
    if (QAbstractButton* b = m_formatChoice->button(s.importType()))
        b->setChecked(true);
    else
        svg->setChecked(true);

    m_progressObserver = ScopedObserver(
        NotificationCenter::defaultCenter(), QStringLiteral("ImportProgressInfoMSG"), nullptr,
        [this](const Notification& n) {
            const int index = n.userInfo.value(QStringLiteral("pageIndex")).toInt();
            const int total = n.userInfo.value(QStringLiteral("totalPage")).toInt();
            // Handed to the main thread without waiting for it.
            QMetaObject::invokeMethod(this, [this, index, total] {
                if (!m_importing)
                    return;
                m_info->setText(tr("Importing: %1 of %2 pages").arg(index).arg(total));
                m_progress->setRange(0, std::max(total, 1));
                m_progress->setValue(std::clamp(index, 0, std::max(total, 1)));
            }, Qt::QueuedConnection);
        });
    enableButtons(true);
}

ImportDialog::~ImportDialog()
{
    m_progressObserver.reset();
    if (m_operation)
        m_operation->cancel(); // the destructor waits for the thread
}

int ImportDialog::qualityForLevel(int level)
{
    switch (level) {
    case 1: return 85;
    case 2: return 65;
    case 3: return 45;
    case 4: return 25;
    default: return 100;
    }
}

void ImportDialog::enableButtons(bool enable)
{
    for (QWidget* w : m_controls)
        w->setEnabled(enable);
    m_range->setEnabled(enable && m_rangeChoice->checkedId() == 1);
    m_progress->setVisible(!enable);
    if (enable && !m_info->text().startsWith(QLatin1String("Importing")))
        return; // keep a message the user must read
    m_info->setVisible(!enable);
}

void ImportDialog::showInfo(const QString& text)
{
    m_info->setText(text);
    m_info->setVisible(true);
}

void ImportDialog::onImportAction()
{
    if (m_file->text().trimmed().isEmpty()) {
        showInfo(tr("Choose the PDF file to import."));
        return;
    }
    if (!QFileInfo(m_file->text()).isFile()) {
        showInfo(tr("The file %1 does not exist.").arg(m_file->text()));
        return;
    }
    m_importing = true;
    AppSettings& s = AppSettings::instance();
    s.setLastImportedFile(m_file->text());
    s.setImportPageRangeType(m_rangeChoice->checkedId());
    s.setImportQualityLevel(m_quality->currentIndex());
    s.setImportPageRange(m_range->text());
    s.setImportBookmark(m_bookmarks->isChecked() ? 1 : 0);
    s.setImportLinks(m_links->isChecked() ? 1 : 0);
    s.setImportZoomPictures(m_zoomPictures->isChecked() ? 1 : 0);
    s.setImportAllowText(m_allowText->isChecked() ? 1 : 0);
    s.setImportType(m_formatChoice->checkedId());
    m_info->setText(tr("Importing: opening the PDF"));
    m_progress->setRange(0, 0);
    enableButtons(false);
    s.saveSettings();
    m_result = ImportResult();
    LC_DEBUG(QStringLiteral("start to import pdf now..."));
    startImport();
}

void ImportDialog::startImport()
{
    m_result.pageWidth = 0;
    m_result.pageHeight = 0;
    if (m_operation)
        m_operation->cancel();
    const QString range = m_rangeChoice->checkedId() == 1 ? m_range->text() : QStringLiteral("ALL");
    LC_DEBUG(QStringLiteral("page range is:%1").arg(range));
    const AppSettings& s = AppSettings::instance();
    m_operation = std::make_unique<ImportPDFOperation>(m_file->text(), range, 144, qualityForLevel(s.importQualityLevel()));
    m_operation->setImportLinks(s.importLinks() == 1);
    m_operation->setImportBookmarks(s.importBookmark() == 1);
    m_operation->setZoomPictures(m_zoomPictures->isChecked());
    m_operation->setAllowText(m_allowText->isChecked());
    ImportPDFOperation* op = m_operation.get();
    m_operation->setCompletionHandler([this, op] {
        QMetaObject::invokeMethod(this, [this, op] {
            if (op == m_operation.get())
                operationFinished();
        }, Qt::QueuedConnection);
    });
    LC_DEBUG(QStringLiteral("before add operation"));
    m_operation->start();
    LC_DEBUG(QStringLiteral("after add operation"));
}

// What the import worked around (a repaired file, pages drawn despite errors, pages left out)
// is told after the dialog closes, without holding the window: the book is there all the same.
void ImportDialog::showImportWarnings(const Warnings& warnings)
{
    if (warnings.isEmpty())
        return;
    QStringList lines = warnings.texts();
    const qsizetype shown = 12;
    if (lines.size() > shown) {
        const qsizetype more = lines.size() - shown;
        lines = lines.mid(0, shown);
        lines << tr("… and %n more.", nullptr, int(more));
    }
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Import"),
                                tr("The PDF was imported, but some pages needed attention."), QMessageBox::Ok,
                                parentWidget() ? parentWidget() : this);
    box->setInformativeText(lines.join(QLatin1Char('\n')));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ImportDialog::operationFinished()
{
    LC_DEBUG(QStringLiteral("import pdf isFinished."));
    m_result.pageSource = m_operation->pageSource();
    m_result.pageLinks = m_operation->pageLinks();
    m_result.outline = m_operation->outline();
    m_importing = false;
    if (m_result.pageSource) {
        LC_DEBUG(QStringLiteral("import pdf ok..."));
        if (auto* pdfSource = dynamic_cast<PdfPageSource*>(m_result.pageSource.get())) {
            if (auto doc = pdfSource->pdfDocument(); doc && !pdfSource->neededPages().empty()) {
                // The book's first page as displayed: the first imported page, turned by its rotation.
                double width = 0, height = 0;
                doc->displaySize(pdfSource->neededPages().front() - 1, &width, &height);
                m_result.pageWidth = int(width);
                m_result.pageHeight = int(height);
                AppSettings& s = AppSettings::instance();
                if (s.importType() != 0) { // JPG and SVG books measure pages as JPG pictures
                    s.setPageWidth(m_result.pageWidth * 2);
                    s.setPageHeight(m_result.pageHeight * 2);
                    s.saveSettings();
                }
            }
        }
        m_info->clear();
        enableButtons(true);
        showImportWarnings(m_operation->warnings());
        done(1);
        return;
    }
    LC_WARN(QStringLiteral("import pdf failed..."));
    enableButtons(true);
    const QString why = m_operation->errorMessage();
    if (m_operation->isCancelled())
        showInfo(tr("The import was cancelled."));
    else
        showInfo(why.isEmpty() ? tr("The PDF could not be imported.") : why);
}

void ImportDialog::onCancelAction()
{
    LC_DEBUG(QStringLiteral("cancel import pdf!!,%1").arg(windowTitle()));
    // Until the finished import has been handled here (its completion is queued to this
    // thread), Cancel only stops it: closing now would let the queued completion end the
    // dialog a second time, with code 1.
    if (m_importing) {
        if (m_operation && !m_operation->isFinished())
            m_operation->cancel(); // the dialog stays open; the finished import reports the cancel
        return;
    }
    enableButtons(true);
    done(0);
}

void ImportDialog::onBrowseFileAction()
{
    auto* picker = new QFileDialog(this, tr("Choose a PDF"), QFileInfo(m_file->text()).absolutePath(),
                                   tr("PDF documents (*.pdf)"));
    picker->setFileMode(QFileDialog::ExistingFile);
    picker->setWindowModality(Qt::WindowModal);
    connect(picker, &QFileDialog::finished, this, [this, picker](int code) {
        const QStringList files = picker->selectedFiles();
        LC_DEBUG(QStringLiteral("die end,%1").arg(files.value(0)));
        if (code == QDialog::Accepted && !files.isEmpty())
            m_file->setText(files.first()); // a cancelled picker keeps the field as it was
        picker->deleteLater();
    });
    picker->open();
}

void ImportDialog::onOpenTheFileAction()
{
    openOrComplain(this, m_file->text());
}

void ImportDialog::reject()
{
    // Escape and the window's close button do what Cancel does.
    onCancelAction();
}

} // namespace leafcraft::gui

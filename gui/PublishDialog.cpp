#include "PublishDialog.h"

#include "DesktopOpen.h"
#include "LongTask.h"

#include "platform/Log.h"
#include "publish/FilePropertyCheck.h"
#include "publish/BookWriter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <atomic>
#include <optional>

namespace leafcraft::gui {

PublishDialog::PublishDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Publish"));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(540);

    m_folder = new QLineEdit(this);
    auto* choose = new QPushButton(tr("Choose…"), this);
    auto* show = new QPushButton(tr("Show"), this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(choose);
    folderRow->addWidget(show);
    m_name = new QLineEdit(this);
    m_name->setPlaceholderText(QStringLiteral("index")); // a file name, not translated
    m_title = new QLineEdit(this);

    m_outputType = new QButtonGroup(this);
    auto* web = new QRadioButton(tr("Web book folder"), this);
    auto* app = new QRadioButton(tr("Application bundle"), this);
    m_outputType->addButton(web, 0);
    m_outputType->addButton(app, 1);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(web);
    typeRow->addWidget(app);
    typeRow->addStretch(1);

    m_createMobile = new QCheckBox(tr("Also write a phone version:"), this);
    m_mobileType = new QComboBox(this);
    m_mobileType->addItems({tr("Flip (turns pages)"), tr("Slide (one page at a time)")});
    auto* mobileRow = new QHBoxLayout;
    mobileRow->addWidget(m_createMobile);
    mobileRow->addWidget(m_mobileType, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* publish = buttons->addButton(tr("Publish"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);

    auto* form = new QFormLayout;
    form->addRow(tr("Folder:"), folderRow);
    form->addRow(tr("File name:"), m_name);
    form->addRow(tr("Page title:"), m_title);
    form->addRow(tr("Output:"), typeRow);
    form->addRow(QString(), mobileRow);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    m_outsideFiles = new QLabel(this);
    m_outsideFiles->setWordWrap(true);
    m_outsideFiles->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_outsideFiles->hide();
    layout->addWidget(m_outsideFiles);
    layout->addWidget(buttons);

    connect(publish, &QPushButton::clicked, this, &PublishDialog::onPublish);
    connect(cancel, &QPushButton::clicked, this, &PublishDialog::onCancel);
    connect(choose, &QPushButton::clicked, this, &PublishDialog::onSelectFolder);
    connect(show, &QPushButton::clicked, this, &PublishDialog::onOpenFolder);
    connect(m_outputType, &QButtonGroup::idClicked, this, &PublishDialog::onOutputTypeClicked);

    const PublishChoices c = PublishFlow(nullptr, nullptr, nullptr, nullptr).rememberedChoices();
    m_folder->setText(c.folder);
    m_name->setText(c.name);
    m_title->setText(c.title);
    m_createMobile->setChecked(c.createMobile == 1);
    m_mobileType->setCurrentIndex(c.mobileType == 1 ? 1 : 0);
    (c.outputType == 1 ? app : web)->setChecked(true);
    onOutputTypeClicked();
}

PublishChoices PublishDialog::choices() const
{
    PublishChoices c;
    c.folder = m_folder->text();
    // An empty name field publishes under the name its placeholder shows.
    c.name = m_name->text().trimmed().isEmpty() ? m_name->placeholderText() : m_name->text();
    c.title = m_title->text();
    c.outputType = m_outputType->checkedId() == 1 ? 1 : 0;
    c.createMobile = m_createMobile->isChecked() ? 1 : 0;
    c.mobileType = m_mobileType->currentIndex();
    return c;
}

void PublishDialog::onOutputTypeClicked()
{
    const bool web = m_outputType->checkedId() != 1;
    m_createMobile->setEnabled(web);
    m_mobileType->setEnabled(web);
}

void PublishDialog::onSelectFolder()
{
    auto* picker = new QFileDialog(this, tr("Choose folder"));
    picker->setFileMode(QFileDialog::Directory);
    picker->setOption(QFileDialog::ShowDirsOnly);
    picker->setWindowModality(Qt::WindowModal);
    connect(picker, &QFileDialog::finished, this, [this, picker](int code) {
        const QStringList chosen = picker->selectedFiles();
        LC_DEBUG(QStringLiteral("die end,%1").arg(chosen.value(0)));
        if (code == QDialog::Accepted && !chosen.isEmpty())
            m_folder->setText(chosen.first()); // a cancelled chooser keeps the field
        picker->deleteLater();
    });
    picker->open();
}

void PublishDialog::onOpenFolder()
{
    openOrComplain(this, m_folder->text());
}

QString PublishDialog::overwriteDetails(const QString& path) const
{
    QString text = tr("%1 holds a book published earlier. Only the previous book is replaced; "
                      "other files in the folder are kept.").arg(path);
    const QString outside = outsideFilesText();
    if (!outside.isEmpty())
        text += QStringLiteral("\n\n") + outside;
    return text;
}

QString PublishDialog::outsideFilesText() const
{
    QStringList lines;
    if (m_template)
        for (const OutsideFile& f : outsideFiles(*m_template))
            lines << (f.reason.isEmpty() ? f.path : tr("%1 (refused: %2)").arg(f.path, f.reason));
    return lines.isEmpty() ? QString() : tr("These files are copied into the book:\n%1").arg(lines.join(QLatin1Char('\n')));
}

void PublishDialog::showEvent(QShowEvent* event)
{
    m_outsideFiles->setText(outsideFilesText());
    m_outsideFiles->setVisible(!m_outsideFiles->text().isEmpty());
    QDialog::showEvent(event);
}

void PublishDialog::reject()
{
    if (m_task)
        m_task->cancel();
    else
        QDialog::reject();
}

void PublishDialog::onPublish()
{
    auto ask = overwriteAnswerer ? overwriteAnswerer : [this](const QString& path) {
        QMessageBox box(QMessageBox::Information, tr("Publish"), PublishFlow::overwriteQuestion(),
                        QMessageBox::NoButton, this);
        box.setInformativeText(overwriteDetails(path));
        QPushButton* yes = box.addButton(QStringLiteral("YES"), QMessageBox::AcceptRole);
        QPushButton* no = box.addButton(QStringLiteral("NO"), QMessageBox::RejectRole);
        box.exec();
        if (box.clickedButton() == yes)
            return OverwriteAnswer::Yes;
        return box.clickedButton() == no ? OverwriteAnswer::No : OverwriteAnswer::Other;
    };

    // The question is asked here, on the main thread, before the work starts; the flow, which
    // runs on a worker while the progress dialog shows, is given the answer.
    const PublishChoices chosen = choices();
    std::optional<OverwriteAnswer> answer;
    const QString replaced = PublishFlow::replacedPath(chosen);
    if (PublishFlow::classifyOutputDir(replaced) == PublishFlow::OutputDirKind::PublishedBook)
        answer = ask(replaced);
    const auto answered = [answer](const QString&) { return answer.value_or(OverwriteAnswer::Other); };

    PublishFlow flow(m_pageSource, m_template, m_annotations, m_outline);
    std::atomic<bool> writing = false;
    flow.setWriterSetup([&writing](BookWriter&) { writing = true; });
    QString output;
    LongTask task(this, tr("Publishing"), tr("Publishing"));
    m_task = &task;
    const std::exception_ptr thrown = task.run([&](const ProgressCallback& progress) {
        flow.setProgressCallback(progress);
        output = flow.publish(chosen, answered);
    });
    m_task = nullptr;
    if (!thrown && output.isNull() && !writing)
        return; // "NO": the dialog stays open and nothing is remembered
    QString failure;
    bool keepOpen = false;
    try {
        if (thrown)
            std::rethrow_exception(thrown);
    } catch (const Error& e) {
        failure = e.text();
        // A publish is all or nothing: after a failure nothing was written, and the dialog
        // stays for another try (another folder, say).
        keepOpen = true;
        if (e.kind() == ErrorKind::Cancelled)
            failure.clear();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
        LC_ERROR(QStringLiteral("publish error:%1").arg(failure));
    }
    m_lastOutput = output;
    m_lastWarnings = flow.warnings().texts();
    if (keepOpen && failure.isEmpty())
        return;

    if (!failure.isEmpty()) {
        QMessageBox::warning(this, tr("Publish"), tr("The book could not be published:\n%1").arg(failure));
        if (keepOpen)
            return;
    } else {
        bool open = false;
        if (openAnswerer) {
            open = openAnswerer(m_lastOutput);
        } else {
            // A phone version asked for but not written is said in the message itself.
            const QString text = flow.missingPhoneVersion().isEmpty()
                                     ? tr("Publish finished. Open it?")
                                     : tr("The book was published, but without a phone version: %1.\n\nOpen the book?")
                                           .arg(flow.missingPhoneVersion());
            QMessageBox box(QMessageBox::Information, tr("Publish"), text, QMessageBox::NoButton, this);
            box.setInformativeText(QDir::toNativeSeparators(m_lastOutput));
            if (!m_lastWarnings.isEmpty())
                box.setDetailedText(m_lastWarnings.join(QLatin1Char('\n')));
            QPushButton* yes = box.addButton(tr("Open it"), QMessageBox::AcceptRole);
            box.addButton(tr("No"), QMessageBox::RejectRole);
            box.setDefaultButton(yes);
            box.exec();
            open = box.clickedButton() == yes;
        }
        if (open)
            openOrComplain(this, m_lastOutput);
    }
    done(1);
}

} // namespace leafcraft::gui

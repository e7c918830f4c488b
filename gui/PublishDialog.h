// The publish dialog: folder, file name, page title, web book or application bundle, and
// the phone version. It remembers the choices, asks before replacing an earlier book, runs
// the publish flow and offers to open the result.
#pragma once

#include "publish/PublishFlow.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace leafcraft {
class Template;
class PageSource;
class Outline;
class PageLinks;
} // namespace leafcraft

namespace leafcraft::gui {

class LongTask;

class PublishDialog : public QDialog {
    Q_OBJECT
public:
    explicit PublishDialog(QWidget* parent = nullptr);

    void setTemplate(std::shared_ptr<Template> v) { m_template = std::move(v); }
    void setPageSource(std::shared_ptr<PageSource> v) { m_pageSource = std::move(v); }
    void setOutline(std::shared_ptr<Outline> v) { m_outline = std::move(v); }
    void setPageLinks(std::shared_ptr<PageLinks> v) { m_annotations = std::move(v); }

    // The choices as the controls show them; an empty name field gives "index".
    PublishChoices choices() const;

    // Test hooks: answer the overwrite and open questions without showing them.
    std::function<OverwriteAnswer(const QString&)> overwriteAnswerer;
    std::function<bool(const QString&)> openAnswerer;
    // The file the last publish offered to open, and what it warned about.
    QString lastOutputFileName() const { return m_lastOutput; }
    QStringList lastWarnings() const { return m_lastWarnings; }

    QLineEdit* folderField() const { return m_folder; }
    QLineEdit* nameField() const { return m_name; }
    QLineEdit* titleField() const { return m_title; }
    QButtonGroup* outputType() const { return m_outputType; }
    QCheckBox* createMobile() const { return m_createMobile; }
    QComboBox* mobileType() const { return m_mobileType; }
    // The overwrite question's details for a folder (or application bundle) holding a book:
    // only the previous book is replaced, and the files from outside that go into the book.
    QString overwriteDetails(const QString& path) const;
    // The files the file properties copy into the book, one a line; empty when there are none.
    QString outsideFilesText() const;

public slots:
    void onPublish();
    void onCancel() { reject(); }
    // While publishing, closing the dialog (Escape, its close button) cancels the publish
    // instead; the dialog stays until the work has stopped.
    void reject() override;
    void onSelectFolder();
    void onOpenFolder();
    void onOutputTypeClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_outsideFiles;
    QLineEdit* m_folder;
    QLineEdit* m_name;
    QLineEdit* m_title;
    QButtonGroup* m_outputType;
    QCheckBox* m_createMobile;
    QComboBox* m_mobileType;
    std::shared_ptr<Template> m_template;
    std::shared_ptr<PageSource> m_pageSource;
    std::shared_ptr<Outline> m_outline;
    std::shared_ptr<PageLinks> m_annotations;
    LongTask* m_task = nullptr; // the running publish
    QString m_lastOutput;
    QStringList m_lastWarnings;
};

} // namespace leafcraft::gui

// The import dialog: the PDF, which pages, the quality, SWF or JPG pages, links and
// bookmarks; it remembers the options, runs one import in the background, shows
// "Importing: n of m pages" and hands the results to the controller when it succeeds.
#pragma once

#include "app/AppController.h"
#include "platform/NotificationCenter.h"
#include "support/Error.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace leafcraft {
class ImportPDFOperation;
}

namespace leafcraft::gui {

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportDialog(QWidget* parent = nullptr);
    ~ImportDialog() override;

    // The converter quality (percent) of a quality level 0..4; any other level gives 100.
    static int qualityForLevel(int level);

    ImportResult result() const { return m_result; }
    bool importing() const { return m_importing; }

    // Controls, for tests.
    QLineEdit* fileField() const { return m_file; }
    QLineEdit* rangeField() const { return m_range; }
    QButtonGroup* rangeChoice() const { return m_rangeChoice; }
    QButtonGroup* formatChoice() const { return m_formatChoice; }
    QComboBox* qualityChoice() const { return m_quality; }
    QCheckBox* linksSwitch() const { return m_links; }
    QCheckBox* bookmarkSwitch() const { return m_bookmarks; }
    QCheckBox* zoomPicturesSwitch() const { return m_zoomPictures; }
    QCheckBox* allowTextSwitch() const { return m_allowText; }
    QLabel* infoLabel() const { return m_info; }

public slots:
    void onImportAction();
    void onCancelAction();
    void onBrowseFileAction();
    void onOpenTheFileAction();
    void enableButtons(bool enable);
    void reject() override;

private:
    void startImport();
    void operationFinished();
    void showImportWarnings(const Warnings& warnings);
    void showInfo(const QString& text);

    QLineEdit* m_file;
    QLineEdit* m_range;
    QButtonGroup* m_rangeChoice;
    QButtonGroup* m_formatChoice;
    QComboBox* m_quality;
    QCheckBox* m_links;
    QCheckBox* m_bookmarks;
    QCheckBox* m_zoomPictures;
    QCheckBox* m_allowText;
    QLabel* m_info;
    QProgressBar* m_progress;
    QPushButton* m_ok;
    QPushButton* m_browse;
    QList<QWidget*> m_controls;
    std::unique_ptr<ImportPDFOperation> m_operation;
    ImportResult m_result;
    bool m_importing = false;
    ScopedObserver m_progressObserver;
};

} // namespace leafcraft::gui

// Long work (publishing, regenerating the preview) off the main thread, with a window-modal
// progress dialog: "<what>: 6 of 26 pages", a bar and Cancel (Escape and the close button
// cancel too). The dialog lives only as long as the work. The window stays responsive
// (it repaints and the dialog follows the work) but takes no input until the work is over, so
// the book the worker reads cannot change under it.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <exception>
#include <functional>

class QProgressDialog;
class QWidget;

namespace leafcraft::gui {

// Returns false once the user has asked to cancel; the work then stops (a writer throws
// Error(Cancelled)).
using ProgressCallback = std::function<bool(int done, int total)>;

class LongTask : public QObject {
    Q_OBJECT
public:
    // `what` starts the dialog's label, e.g. tr("Publishing").
    LongTask(QWidget* parent, const QString& title, const QString& what);
    ~LongTask() override;

    // Runs `work` on a worker thread and returns when it has finished; the main thread keeps
    // handling events meanwhile. Returns what the work threw, or nullptr. If the application
    // quits meanwhile, the work is asked to cancel and waited for.
    std::exception_ptr run(const std::function<void(const ProgressCallback&)>& work);

    // How long the work may take before the dialog shows (input is blocked from the start).
    static void setShowDelay(int milliseconds);
    // The label for a count: "Publishing: 6 of 26 pages".
    static QString progressText(const QString& what, int done, int total);

    bool cancelRequested() const { return m_cancelled.load(); }
    // Asks the work to stop, as the dialog's Cancel does.
    void cancel();
    // The progress dialog while the work runs; null before and after.
    QProgressDialog* dialog() const { return m_dialog; }

private:
    void makeDialog();
    void showProgress(int done, int total);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QWidget* m_parent;
    QString m_title;
    QString m_what;
    QProgressDialog* m_dialog = nullptr;
    std::atomic<bool> m_cancelled{false};
};

} // namespace leafcraft::gui

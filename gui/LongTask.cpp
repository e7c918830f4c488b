#include "LongTask.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <memory>

namespace leafcraft::gui {

namespace {
int g_showDelay = 400;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
} // namespace

LongTask::LongTask(QWidget* parent, const QString& title, const QString& what)
    : QObject(parent), m_parent(parent), m_title(title), m_what(what)
{
}

LongTask::~LongTask()
{
    delete m_dialog;
}

void LongTask::makeDialog()
{
    m_dialog = new QProgressDialog(m_parent);
    m_dialog->setObjectName(QStringLiteral("progress"));
    m_dialog->setWindowTitle(m_title);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(std::numeric_limits<int>::max()); // shown by run(), not by setValue
    // QProgressDialog shows itself a few seconds after it is made unless reset: only run()
    // shows it, and only while the work runs.
    m_dialog->reset();
    m_dialog->setMinimumWidth(360);
    m_dialog->setRange(0, 0);
    m_dialog->setLabelText(m_what + QStringLiteral("…"));
    m_dialog->setCancelButtonText(tr("Cancel"));
    m_dialog->hide();
    connect(m_dialog, &QProgressDialog::canceled, this, &LongTask::cancel);
}

void LongTask::setShowDelay(int milliseconds)
{
    g_showDelay = milliseconds;
}

QString LongTask::progressText(const QString& what, int done, int total)
{
    return tr("%1: %2 of %3 pages").arg(what).arg(done).arg(total);
}

void LongTask::showProgress(int done, int total)
{
    if (m_cancelled.load() || !m_dialog)
        return;
    m_dialog->setRange(0, std::max(total, 1));
    m_dialog->setValue(std::clamp(done, 0, std::max(total, 1)));
    m_dialog->setLabelText(progressText(m_what, done, total));
}

void LongTask::cancel()
{
    m_cancelled.store(true);
    if (!m_dialog)
        return;
    m_dialog->setLabelText(tr("Cancelling…"));
    // QProgressDialog hides itself when cancelled; it stays up until the work has stopped.
    if (!m_dialog->isVisible())
        m_dialog->show();
    if (auto* button = m_dialog->findChild<QPushButton*>())
        button->setEnabled(false);
}

bool LongTask::eventFilter(QObject* watched, QEvent* event)
{
    // Until the modal dialog shows (and in case it does not), the book must not change while
    // the worker reads it: no clicks, keys or shortcuts reach the other windows.
    if (!isUserInput(event->type()))
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // The dialog's own Escape shortcut (an object inside the dialog) cancels like its button.
    auto* owner = widget ? widget : qobject_cast<QWidget*>(watched->parent());
    if (m_dialog && owner && owner->window() == m_dialog)
        return false;
    // Escape cancels also before the dialog shows.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancel();
        return true;
    }
    if (event->type() == QEvent::Shortcut || event->type() == QEvent::ShortcutOverride || widget)
        return true;
    return false;
}

std::exception_ptr LongTask::run(const std::function<void(const ProgressCallback&)>& work)
{
    std::exception_ptr failure;
    makeDialog();
    const ProgressCallback progress = [this](int done, int total) {
        QMetaObject::invokeMethod(this, [this, done, total] { showProgress(done, total); }, Qt::QueuedConnection);
        return !m_cancelled.load();
    };
    std::unique_ptr<QThread> thread(QThread::create([&work, &progress, &failure] {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    qApp->installEventFilter(this);
    QTimer showTimer;
    showTimer.setSingleShot(true);
    connect(&showTimer, &QTimer::timeout, m_dialog, [this] {
        if (!m_dialog->isVisible())
            m_dialog->show();
    });
    thread->start();
    showTimer.start(g_showDelay);
    if (!thread->isFinished())
        loop.exec();
    if (!thread->isFinished()) { // the application is quitting: stop the work and wait for it
        m_cancelled.store(true);
        thread->wait();
    }
    showTimer.stop();
    qApp->removeEventFilter(this);
    // The dialog goes with the work: nothing of it can show over what comes next (a message).
    m_dialog->hide();
    delete m_dialog;
    m_dialog = nullptr;
    QCoreApplication::removePostedEvents(this); // progress reports that arrived too late
    return failure;
}

} // namespace leafcraft::gui

#include "Screenshots.h"

#include "ImportDialog.h"
#include "MainWindow.h"
#include "PublishDialog.h"
#include "SelectTemplateDialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace leafcraft::gui {

namespace {

// Calls `then` once the preview's book is ready: its player has laid out the pages and every
// picture has loaded. Exits with code 1 when that takes more than a minute.
void whenPreviewReady(MainWindow& window, std::function<void()> then)
{
    auto* poll = new QTimer(&window);
    poll->setInterval(250);
    auto* deadline = new QTimer(&window);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, &window, [] {
        std::fprintf(stderr, "leafcraft: the preview did not become ready; no screenshot taken\n");
        QApplication::exit(1);
    });
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, deadline, then] {
        const QString ready = QStringLiteral(
            "!!(window.LeafcraftBook && window.LeafcraftBook.readyTime"
            " && Array.from(document.images).every(function (i) { return i.complete; }))");
        window.webView()->page()->runJavaScript(ready, [&window, poll, deadline, then](const QVariant& r) {
            if (!r.toBool() || !poll->isActive())
                return;
            poll->stop();
            deadline->stop();
            // Give the page-turn animation and the compositor a moment to settle.
            QTimer::singleShot(1000, &window, then);
        });
    });
    poll->start();
    deadline->start(60000);
}

// A picture of a window as the screen shows it (web views included).
bool saveWindow(QWidget* widget, const QString& file)
{
    QScreen* screen = widget->screen();
    const QPixmap shot = screen ? screen->grabWindow(widget->winId()) : widget->grab();
    if (shot.isNull() || !shot.save(file)) {
        std::fprintf(stderr, "leafcraft: cannot write the screenshot %s\n", qPrintable(file));
        return false;
    }
    return true;
}

// The visible window other than the main window that opened last.
QWidget* newestOtherWindow(const MainWindow& window)
{
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &window && w->isVisible() && w->isWindow() && !w->inherits("QMenu"))
            found = w;
    return found;
}

} // namespace

void takeScreenshotWhenReady(MainWindow& window, const QString& file)
{
    whenPreviewReady(window, [&window, file] {
        if (saveWindow(&window, file))
            QApplication::quit();
        else
            QApplication::exit(1);
    });
}

void takeWindowScreenshotsWhenReady(MainWindow& window, const QString& folder)
{
    QDir().mkpath(folder);
    const auto path = [folder](const char* name) { return QDir(folder).filePath(QLatin1String(name)); };
    // Each step opens or pictures one window; the next runs a moment later.
    auto steps = std::make_shared<std::vector<std::function<bool()>>>();
    auto shoot = [&window, path](const char* command, const char* file, std::function<void(QWidget*)> close) {
        return std::vector<std::function<bool()>>{
            [&window, command] {
                window.action(QLatin1String(command))->trigger();
                return true;
            },
            [&window, path, file, close] {
                QWidget* shown = newestOtherWindow(window);
                if (!shown)
                    return false;
                const bool saved = saveWindow(shown, path(file));
                close(shown);
                return saved;
            }};
    };
    steps->push_back([&window, path] { return saveWindow(&window, path("main-window.png")); });
    for (auto& s : shoot("import", "import.png", [](QWidget* w) { qobject_cast<ImportDialog*>(w)->onCancelAction(); }))
        steps->push_back(s);
    for (auto& s : shoot("template", "template.png", [](QWidget* w) { qobject_cast<QDialog*>(w)->done(0); }))
        steps->push_back(s);
    for (auto& s : shoot("publish", "publish.png", [](QWidget* w) { qobject_cast<QDialog*>(w)->done(0); }))
        steps->push_back(s);
    if (window.action(QStringLiteral("editor"))->isEnabled()) {
        for (auto& s : shoot("editor", "page-editor.png", [](QWidget* w) { w->close(); }))
            steps->push_back(s);
    } else {
        std::fprintf(stderr, "leafcraft: the page editor is not available; no page-editor.png\n");
    }
    auto next = std::make_shared<std::function<void(std::size_t)>>();
    *next = [steps, next, &window](std::size_t i) {
        if (i == steps->size()) {
            QApplication::quit();
            return;
        }
        if (!(*steps)[i]()) {
            QApplication::exit(1);
            return;
        }
        // The page editor's web page needs longer than a dialog to appear.
        QTimer::singleShot(i + 1 < steps->size() ? 3000 : 0, &window, [next, i] { (*next)(i + 1); });
    };
    whenPreviewReady(window, [next] { (*next)(0); });
}

} // namespace leafcraft::gui

// Shared pieces of the desktop application's tests: the registry of test classes that main()
// runs, the generated PDF fixtures, a small book to publish, and a way to answer the message
// boxes a window opens modally.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace leafcraft {
class PageSource;
}

namespace leafcraft::guitest {

struct Suite {
    QString name;
    std::function<std::unique_ptr<QObject>()> make;
};

std::vector<Suite>& suites();

// Registers a QtTest class under its class name; main() runs it when asked for by name.
template <typename T>
struct SuiteRegistration {
    explicit SuiteRegistration(const char* name)
    {
        suites().push_back({QString::fromLatin1(name), [] { return std::unique_ptr<QObject>(new T); }});
    }
};

// A file written by scripts/make_pdfs.py into the build tree.
QString pdfFixture(const QString& name);

// The temporary home folder the test program runs in.
QString testHome();

// The demonstration book's pages (pictures shipped with the program).
std::shared_ptr<PageSource> demoBook();

// Answers the next modal dialog that opens within `timeoutMs`: a message box with its default
// or first button (its texts are recorded), any other dialog with `answer`, or else by
// rejecting it. Lets a test go through a code path that asks with a modal dialog.
class ModalAnswerer : public QObject {
    Q_OBJECT
public:
    explicit ModalAnswerer(int timeoutMs = 20000, std::function<void(QDialog*)> answer = {});
    ~ModalAnswerer() override;
    int answered() const { return m_texts.size(); }
    // text, informative text and detailed text of every answered box, joined by newlines
    const QStringList& texts() const { return m_texts; }

private:
    void poll();
    QStringList m_texts;
    std::function<void(QDialog*)> m_answer;
    int m_remaining;
    QPointer<QWidget> m_before;
};

} // namespace leafcraft::guitest

// Writes a phone book the way publishing does, for the browser tests:
//   mobile_book_fixture BOOK_DIR flip|slide PICTURE... [--set KEY=VALUE]...
// Each PICTURE becomes the phone picture of the next page; a picture named "<n>.<ext>"
// counts as page <n>. The template is "float" with the given property values; a LogoFile
// value is also copied to files/extfiles/ as the book writer would.
#include "app/AppSettings.h"
#include "fakes/FakePlatform.h"
#include "import/FlashPage.h"
#include "import/FlashPageSource.h"
#include "publish/OutputMobileVersion.h"
#include "templates/FlashTemplate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace leafcraft;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 3) {
        std::fputs("usage: mobile_book_fixture BOOK_DIR flip|slide PICTURE... [--set KEY=VALUE]...\n", stderr);
        return 2;
    }
    test::FakePlatform platform;
    const QString book = args.takeFirst();
    const int type = args.takeFirst() == QLatin1String("slide") ? 1 : 0;
    auto tmpl = std::make_shared<FlashTemplate>();
    auto source = std::make_shared<FlashPageSource>();
    FlashPageList pages, mobile;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--set") && i + 1 < args.size()) {
            const QString entry = args[++i];
            const QString key = entry.section(QLatin1Char('='), 0, 0);
            const QString value = entry.section(QLatin1Char('='), 1);
            tmpl->setPropertyValue(key, value);
            if (key == QLatin1String("LogoFile")) {
                QDir().mkpath(book + QStringLiteral("/files/extfiles"));
                QFile::copy(value, book + QStringLiteral("/files/extfiles/LogoFile.") + QFileInfo(value).suffix());
            }
            continue;
        }
        bool numbered = false;
        int n = QFileInfo(args[i]).completeBaseName().toInt(&numbered);
        if (!numbered)
            n = int(pages.size()) + 1;
        pages.push_back(std::make_unique<FlashPage>(QFileInfo(args[i]).absoluteFilePath(), n));
        mobile.push_back(std::make_unique<FlashPage>(QFileInfo(args[i]).absoluteFilePath(), n));
    }
    source->setPages(std::move(pages));
    source->setMobilePages(std::move(mobile));
    QDir().mkpath(book);
    try {
        AppSettings settings(nullptr);
        settings.setPageWidth(600);
        settings.setPageHeight(800);
        OutputMobileVersion writer(source, tmpl, book, type);
        writer.setAppSettings(&settings);
        writer.PublishMobileConfig();
        for (const auto& w : writer.warnings().list())
            std::fprintf(stderr, "warning: %s\n", qPrintable(w.text()));
    } catch (const Error& e) {
        std::fprintf(stderr, "mobile_book_fixture: %s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}

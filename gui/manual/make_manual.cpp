// Renders the user manual (Markdown) into a PDF: make-manual INPUT.md OUTPUT.pdf [OUTPUT2.pdf ...]
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make-manual INPUT.md OUTPUT.pdf [MORE.pdf ...]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make-manual: cannot read %s\n", argv[1]);
        return 3;
    }
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    doc.setMarkdown(QString::fromUtf8(in.readAll()));
    for (int i = 2; i < argc; ++i) {
        QPdfWriter writer(QString::fromLocal8Bit(argv[i]));
        writer.setTitle(QStringLiteral("Leafcraft user manual"));
        writer.setCreator(QStringLiteral("Leafcraft"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        writer.setResolution(300);
        doc.setPageSize(QSizeF(writer.width(), writer.height()));
        doc.print(&writer);
        if (!QFile::exists(QString::fromLocal8Bit(argv[i]))) {
            std::fprintf(stderr, "make-manual: cannot write %s\n", argv[i]);
            return 4;
        }
    }
    return 0;
}

#include "publish/ReaderFiles.h"

#include "import/FlashPageSource.h"
#include "import/PageFacts.h"
#include "publish/AtomicWrite_p.h"
#include "publish/BookDocuments.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace leafcraft::bookdoc {

QHash<int, int> bookPositions(const FlashPageSource& source)
{
    QHash<int, int> positions;
    int position = 0;
    for (const auto& page : source.pages()) {
        ++position;
        if (!positions.contains(page->pageIndex()))
            positions.insert(page->pageIndex(), position);
    }
    return positions;
}

void mapContentsToBook(xml::Element ols, const QHash<int, int>& positions)
{
    for (const xml::Element& o : ols.children(QStringLiteral("o"))) {
        xml::Element p = o.firstChild(QStringLiteral("p"));
        if (!p.isNull()) {
            bool ok = false;
            const int page = p.stringValue().trimmed().toInt(&ok);
            p.setText(QString::number(ok ? positions.value(page, 0) : 0));
        }
        const xml::Element ci = o.firstChild(QStringLiteral("ci"));
        if (!ci.isNull())
            mapContentsToBook(ci, positions);
    }
}

std::optional<QStringList> importedPageTexts(const FlashPageSource& source)
{
    QStringList texts;
    bool any = false;
    for (const auto& page : source.pages()) {
        const PageFacts* facts = page->facts().get();
        any = any || facts;
        texts << (facts && !facts->textWithheld ? facts->text.text : QStringLiteral(""));
    }
    if (!any)
        return std::nullopt;
    return texts;
}

QByteArray wordsScript(int position, const std::vector<pdf::Word>& words)
{
    QByteArray out = "(window.LeafcraftWords = window.LeafcraftWords || {})[" + QByteArray::number(position) + "] = [";
    out.reserve(out.size() + qsizetype(words.size()) * 48);
    bool first = true;
    for (const pdf::Word& w : words) {
        if (!first)
            out += ", ";
        first = false;
        out += '[';
        for (float v : {w.x, w.y, w.width, w.height})
            out += QByteArray::number(double(v), 'f', 4) + ", ";
        out += jsStringLiteral(w.text);
        out += ']';
    }
    out += "];\n";
    return out;
}

void writeWordFiles(const QString& folder, const FlashPageSource& source,
                    const std::function<void(const QString& path)>& fail)
{
    // Words files of an earlier book in this folder would speak for pages they do not show.
    static const QRegularExpression ours(QStringLiteral("^words-[0-9]+\\.js$"));
    const QDir dir(folder);
    for (const QFileInfo& old : dir.entryInfoList({QStringLiteral("words-*.js")}, QDir::Files | QDir::NoSymLinks))
        if (ours.match(old.fileName()).hasMatch())
            QFile::remove(old.absoluteFilePath());
    int position = 0;
    for (const auto& page : source.pages()) {
        ++position;
        const PageFacts* facts = page->facts().get();
        if (!facts || facts->textWithheld || facts->text.words.empty())
            continue;
        const QString path = dir.filePath(QStringLiteral("words-%1.js").arg(position));
        if (!detail::writeFileAtomically(path, wordsScript(position, facts->text.words)))
            fail(path);
    }
}

} // namespace leafcraft::bookdoc

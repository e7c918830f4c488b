#include "PublishReport.h"

#include "publish/BookStaging.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace leafcraft::cli {

namespace {

QJsonValue textOrNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

} // namespace

int warningPage(const Warning& warning)
{
    static const QRegularExpression page(QStringLiteral("\\bpage (\\d+)\\b"));
    for (const QString& text : {warning.where, warning.message}) {
        const QRegularExpressionMatch m = page.match(text);
        if (m.hasMatch())
            return m.captured(1).toInt();
    }
    return 0;
}

qint64 bookBytes(const QString& root, const QString& manifestPath)
{
    qint64 bytes = 0;
    for (const QString& file : BookStaging::readManifest(root, manifestPath))
        bytes += QFileInfo(root + QLatin1Char('/') + file).size();
    return bytes;
}

QByteArray PublishReport::toJson() const
{
    QJsonArray leftOut;
    for (int page : pagesLeftOut)
        leftOut.append(page);
    QJsonArray warningList;
    for (const Warning& w : warnings) {
        const int page = warningPage(w);
        warningList.append(QJsonObject{{QStringLiteral("page"), page > 0 ? QJsonValue(page) : QJsonValue()},
                                       {QStringLiteral("where"), w.where},
                                       {QStringLiteral("message"), w.message}});
    }
    const QJsonObject object{
        {QStringLiteral("input"), textOrNull(input)},
        {QStringLiteral("output_folder"), textOrNull(outputFolder)},
        {QStringLiteral("html_page"), textOrNull(htmlPage)},
        {QStringLiteral("result"), result},
        {QStringLiteral("exit_status"), exitStatus},
        {QStringLiteral("message"), textOrNull(message)},
        {QStringLiteral("pages_written"), pagesWritten},
        {QStringLiteral("pages_left_out"), leftOut},
        {QStringLiteral("warnings"), warningList},
        {QStringLiteral("bytes_written"), bytesWritten},
        {QStringLiteral("seconds"), qRound(seconds * 1000) / 1000.0},
        {QStringLiteral("fingerprint"), textOrNull(fingerprint)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace leafcraft::cli

// The outcome of one 'leafcraft-cli publish', as one line of JSON for the programs that run
// many publishes (publish --report json; the fields are described in docs/publish-report.md).
#pragma once

#include "support/Error.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace leafcraft::cli {

struct PublishReport {
    // What a publish came to: a book written, nothing to do, or no book.
    static QString written() { return QStringLiteral("written"); }
    static QString upToDate() { return QStringLiteral("up to date"); }
    static QString failed() { return QStringLiteral("failed"); }

    QString input;        // the PDF, absolute
    QString outputFolder; // absolute
    QString htmlPage;     // the book's page (the bundle with --app); empty when none was written
    QString result;
    int exitStatus = 0;
    QString message; // why it failed; empty otherwise
    int pagesWritten = 0;
    std::vector<int> pagesLeftOut;
    std::vector<Warning> warnings;
    qint64 bytesWritten = 0;
    double seconds = 0;
    QString fingerprint;

    // One line of compact JSON, ending in a newline.
    QByteArray toJson() const;
};

// The page a warning is about (from "page N" in its place or its text); 0 when none.
int warningPage(const Warning& warning);

// The bytes of the files the book's manifest at `root`/`manifestPath` lists.
qint64 bookBytes(const QString& root, const QString& manifestPath);

} // namespace leafcraft::cli

// What made a book, as one hash: the PDF's content, the options that shape the book, the
// settings and page list files, the template and player files the program ships, the files
// template properties bring in from elsewhere, and the program's version. The book's manifest
// keeps it (BookStaging::setFingerprint), so that a publish whose fingerprint matches the book
// already in its folder can be skipped: it would write the same book again.
//
// Every part goes in with its name and length, so that no two different sets of parts hash
// alike by running into each other. The hash is XXH3 (128 bits): it tells changes apart, it
// is not meant to resist someone forging a file to match.
#pragma once

#include <QString>
#include <memory>

namespace leafcraft {

class BookFingerprint {
public:
    BookFingerprint();
    ~BookFingerprint();
    BookFingerprint(const BookFingerprint&) = delete;
    BookFingerprint& operator=(const BookFingerprint&) = delete;

    void addText(const QString& name, const QString& value);
    // The file's content; a file that cannot be read goes in as such (and the publish that
    // needs it fails anyway).
    void addFile(const QString& name, const QString& path);
    // Every regular file below `folder`, each with its path relative to the folder, in order.
    void addTree(const QString& name, const QString& folder);

    // The fingerprint so far: 32 lowercase hex digits.
    QString hex() const;

private:
    void addBytes(const QByteArray& bytes);

    struct State;
    std::unique_ptr<State> m_state;
};

// Whether the book that `root` receives (its manifest at `root`/`manifestPath`) was made with
// `fingerprint` and still holds every file its manifest lists.
bool bookIsUpToDate(const QString& root, const QString& manifestPath, const QString& fingerprint);

} // namespace leafcraft

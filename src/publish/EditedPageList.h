// A page list saved by the page editor (WORK/pages.xml beside WORK/files/), published again
// over a fresh import: each page keeps the pictures of the new import and takes the links
// and placed items (pictures, movies, sounds, SWF clips, link areas) of the edited list.
// The files the placed items name are checked before anything is written: each must be a
// regular file of its kind inside WORK/files/editor, reached without a symbolic link.
#pragma once

#include "platform/Xml.h"

#include <QString>
#include <QStringList>

namespace leafcraft {

class EditedPageList {
public:
    // What a page list may hold: far more than the page editor makes of any real book, few
    // enough that a hostile list cannot take minutes and gigabytes to read.
    static constexpr qint64 kMaxFileSize = 32ll << 20;
    static constexpr int kMaxItemsPerPage = 1000; // links and placed items, besides the page pictures
    static constexpr int kMaxItems = 50000;

    // Reads and checks the list. Throws Error(BadInput) naming the file and what is wrong:
    // larger than the bounds above, not a well-formed page list, an item whose file is
    // missing, outside WORK/files/editor, behind a symbolic link or of the wrong kind.
    static EditedPageList load(const QString& pagesXml);

    int pageCount() const;
    // WORK/files: the folder the items' paths are relative to.
    const QString& filesFolder() const { return m_filesFolder; }
    // The files the placed items name, relative to filesFolder() ("editor/..."), each once.
    const QStringList& files() const { return m_files; }

    // Replaces everything after the page pictures (thumb, normal, large) of each page of
    // `pageList` with the items of the same page here. Throws Error(BadInput) when the two
    // lists differ in their number of pages.
    void applyTo(xml::Document& pageList) const;

    // The extensions a placed item of `kind` ("Image", "Video", "Audio", "Swf") may have;
    // empty for kinds without a file.
    static QStringList extensionsFor(const QString& kind);

private:
    QString m_path;
    QString m_filesFolder;
    QStringList m_files;
    xml::Document m_document;
};

} // namespace leafcraft

// Which files a file property may carry into a book. A book leaves the machine, so a value
// (from a settings file, the command line or the application) is accepted only when it is a
// regular file whose content is of a kind the property's file filter names (JPEG, PNG, GIF or
// BMP pictures, MP3 sound, PDF, ZIP, EPUB or plain text documents, told by their first bytes),
// and whose path has no hidden component (".ssh", ".gnupg", ...) and does not lie under /etc,
// /proc, /sys or /dev. Files of the application's own resources (styles) are exempt from the
// path rules.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace leafcraft {

class Template;

struct OutsideFile {
    QString key;    // the property
    QString path;   // the chosen file
    QString reason; // why it may not go into a book; empty when it may
};

// Why `path` may not be the value of a file property with the file filter `valueSource`
// ("Image files (*.jpg, *.png)|*.jpg;*.png"); a null text when it may.
QString filePropertyProblem(const QString& valueSource, const QString& path);

// Every file property of `tmpl` with a value: the files a book written now copies in, each
// with the reason it may not (empty when it may).
std::vector<OutsideFile> outsideFiles(const Template& tmpl);

// Throws Error(BadInput) naming the first file property whose value may not go into a book.
void checkFileProperties(const Template& tmpl);

// A settings file may bring in only files of its own folder (or below it), the application's
// own resources and the files the user named (`allowed`), and only with a file-name extension
// the property's filter names: a settings file comes from anywhere, and must not pick files
// from elsewhere on the machine for a book that leaves it.
//
// The file values of the settings file `settingsFile` that `tmpl` applied last which may not
// go into a book, each with the reason; `outsideOnly` is set on those that only lie outside
// the folder (which the user's consent makes acceptable).
struct SettingsFileProblem {
    OutsideFile file;
    bool outsideOnly = false;
};
std::vector<SettingsFileProblem> settingsFileProblems(const Template& tmpl, const QString& settingsFile,
                                                      const QStringList& allowed);

} // namespace leafcraft

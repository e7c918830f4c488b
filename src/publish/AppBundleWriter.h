// The book as a stand-alone macOS application: a bundle <name>.app made from the viewer
// skeleton shipped in AppFiles/TmplData/mac.app/Contents/, with an ordinary published book in
// Contents/Resources (HTML page "index.html"). The skeleton's executable is a launcher that
// opens that page in the system's web browser.
//
// For an output folder F and a requested name N (the dialog passes "<name field>.html"):
//   bundle        F/B, B = N without its last extension, plus ".app"
//   saveToFolder  F/B/Contents/Resources
//   HTML page     F/B/Contents/Resources/index.html, whatever N is
//   outputFileName  the bundle (opening it launches the application)
//
// The bundle is staged in F and swapped in like any book; its manifest lists the whole bundle.
// An existing bundle's files are replaced only when its manifest lists them (or, for a bundle
// written before bundles had manifests, when its Info.plist carries our bundle identifier);
// anything else in the way makes the write fail before F changes.
#pragma once

#include "publish/BookWriter.h"

namespace leafcraft {

class AppBundleWriter : public BookWriter {
public:
    // As BookWriter, but the book goes into an application bundle named after `toName`
    // in `saveToFolder`.
    AppBundleWriter(std::shared_ptr<PageSource> pageSource, std::shared_ptr<Template> bookTemplate,
                       const QString& saveToFolder, const QString& toName);
    ~AppBundleWriter() override;

    // saveToFolder() joined with "index.html".
    QString outputHtmlFileName() const override;
    // The bundle: saveToFolder() without its last two components.
    QString outputFileName() const override;
    // Stages the bundle: the skeleton, then the book in Contents/Resources with the base
    // writer; swaps it in when all of it was written. Throws Error(Output) as the base writer.
    void writeBook() override;
    // The output folder F: the bundle is one entry of it.
    QString bookRoot() const override;

    // "<name without its last extension>.app".
    static QString bundleNameFor(const QString& name);
    // Whether `bundlePath` is a bundle this writer made.
    static bool isOurBundle(const QString& bundlePath);
    // The identifier in the skeleton's Info.plist.
    static QString bundleIdentifier() { return QStringLiteral("app.leafcraft.bookviewer"); }

private:
    // Writes the bundle's name and display name (the title, else the name) into the copied
    // Info.plist.
    void nameBundle(const QString& plistPath, const QString& bundleName);
};

} // namespace leafcraft

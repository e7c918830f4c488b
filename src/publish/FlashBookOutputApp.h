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
// An existing bundle is replaced only when it is one this writer made (its Info.plist carries
// our bundle identifier); any other existing F/B is left alone and the write fails.
#pragma once

#include "publish/FlashBookOutput.h"

namespace leafcraft {

class FlashBookOutputApp : public FlashBookOutput {
public:
    // As FlashBookOutput, but the book goes into an application bundle named after `toName`
    // in `saveToFolder`.
    FlashBookOutputApp(std::shared_ptr<FlashPageSource> pageSource, std::shared_ptr<FlashTemplate> flashTemplate,
                       const QString& saveToFolder, const QString& toName);
    ~FlashBookOutputApp() override;

    // saveToFolder() joined with "index.html".
    QString outputHTMLFileName() const override;
    // The bundle: saveToFolder() without its last two components.
    QString outputFileName() const override;
    // Replaces the bundle (only one of ours), copies the skeleton into it, then writes the book
    // into Contents/Resources with the base writer. Throws Error(Output) when a bundle of the
    // same name exists that this writer did not make, or cannot be removed. A skeleton that
    // cannot be copied counts as a failed write: the book is still written.
    void ouputTheBook() override;

    // "<name without its last extension>.app".
    static QString bundleNameFor(const QString& name);
    // Whether `bundlePath` is a bundle this writer made.
    static bool isOurBundle(const QString& bundlePath);
    // The identifier in the skeleton's Info.plist.
    static QString bundleIdentifier() { return QStringLiteral("app.leafcraft.bookviewer"); }
};

} // namespace leafcraft

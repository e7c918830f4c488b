// Shared file and folder operations: private temporary folders and the deep folder listing.
// A class of class operations only.
#pragma once

#include <QString>
#include <QStringList>

namespace leafcraft {

class FileUtility {
public:
    FileUtility() = delete;

    // Creates and returns a new private folder "<temp root>/<name>-XXXXXXXX" (mode 0700) whose
    // last eight characters are random and make a name that did not exist before; the temp
    // root is $TMPDIR, else /tmp. Every call, from any thread, gets a folder of its own, and
    // the folder is registered as a scratch folder of this process (ScratchFolders). Always
    // returns a path: when the folder cannot be created, the path names a folder that does
    // not exist.
    // The folder is locked (flock on the folder itself) while it is registered; the first
    // call of a process for a `name` first removes the folders of that name that this user's
    // earlier processes left (KILLed before they could): those with no lock held on them.
    static QString makePrivateTempFolder(const QString& name);
    // The user's Application Support folder, or, when the platform names none, one private
    // temporary folder of this process (makePrivateTempFolder), made on the first call.
    static QString userAppSupportFolder();
    // Removes this user's private "<temp root>/<name>-XXXXXXXX" folders whose maker has gone.
    static void removeStaleTempFolders(const QString& name);

    // Every folder below `folder` at any depth, as "<folder>/<relative path>", depth first
    // (a folder comes right before its own sub-folders; siblings in name order). Symbolic
    // links are neither listed nor followed. A missing or unreadable folder gives an empty list.
    static QStringList subfolders(const QString& folder);
};

} // namespace leafcraft

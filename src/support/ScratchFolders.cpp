#include "support/ScratchFolders.h"

#include <QHash>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace leafcraft::scratch {

namespace {

struct Registry {
    std::mutex mutex;          // guards folders
    std::recursive_mutex swap; // held by SwapGuard and by removeAll
    QHash<QString, int> folders; // folder -> its owner lock, or -1
};

Registry& registry() {
    static Registry* r = new Registry; // never destroyed: a signal may come during exit
    return *r;
}

} // namespace

std::atomic<int> g_stop{0};

void requestStop(int signal) {
    g_stop = signal;
}

int stopRequested() {
    return g_stop;
}

void add(const QString& folder) {
    add(folder, -1);
}

void add(const QString& folder, int ownerLockFd) {
    if (folder.isEmpty())
        return;
    std::lock_guard lock(registry().mutex);
    registry().folders.insert(folder, ownerLockFd);
}

void forget(const QString& folder) {
    std::lock_guard lock(registry().mutex);
    const auto it = registry().folders.constFind(folder);
    if (it == registry().folders.cend())
        return;
    if (*it >= 0)
        ::close(*it);
    registry().folders.erase(it);
}

bool holds(const QString& path) {
    std::lock_guard lock(registry().mutex);
    for (auto it = registry().folders.keyBegin(); it != registry().folders.keyEnd(); ++it)
        if (const QString& folder = *it; path.size() > folder.size() && path.startsWith(folder) && path[folder.size()] == QLatin1Char('/'))
            return true;
    return false;
}

void removeAll() {
    std::lock_guard swap(registry().swap);
    QHash<QString, int> folders;
    {
        std::lock_guard lock(registry().mutex);
        folders.swap(registry().folders);
    }
    // The owner locks stay open: the process is about to end.
    for (const QString& folder : folders.keys()) {
        std::error_code ec;
        // Twice: a thread still writing may have added an entry during the first pass.
        for (int pass = 0; pass < 2; ++pass)
            std::filesystem::remove_all(std::filesystem::path(folder.toStdU16String()), ec);
    }
}

SwapGuard::SwapGuard() {
    registry().swap.lock();
}

SwapGuard::~SwapGuard() {
    registry().swap.unlock();
}

} // namespace leafcraft::scratch

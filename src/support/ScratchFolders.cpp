#include "support/ScratchFolders.h"

#include <QSet>
#include <atomic>
#include <filesystem>
#include <mutex>

namespace leafcraft::scratch {

namespace {

struct Registry {
    std::mutex mutex;          // guards folders
    std::recursive_mutex swap; // held by SwapGuard and by removeAll
    QSet<QString> folders;
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
    if (folder.isEmpty())
        return;
    std::lock_guard lock(registry().mutex);
    registry().folders.insert(folder);
}

void forget(const QString& folder) {
    std::lock_guard lock(registry().mutex);
    registry().folders.remove(folder);
}

bool holds(const QString& path) {
    std::lock_guard lock(registry().mutex);
    for (const QString& folder : std::as_const(registry().folders))
        if (path.size() > folder.size() && path.startsWith(folder) && path[folder.size()] == QLatin1Char('/'))
            return true;
    return false;
}

void removeAll() {
    std::lock_guard swap(registry().swap);
    QSet<QString> folders;
    {
        std::lock_guard lock(registry().mutex);
        folders.swap(registry().folders);
    }
    for (const QString& folder : folders) {
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

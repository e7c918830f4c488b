// Folders one process works in and removes again (staging folders of books being written,
// converter and job work folders). A command-line tool stopped by a signal removes those
// still registered before it exits (see removeAll).
#pragma once

#include <QString>

namespace leafcraft::scratch {

void add(const QString& folder);
// As add(), for a work folder whose owner lock (an open descriptor flock()ed for as long as
// the folder lives, see FileUtility::makePrivateTempFolder) forget() closes.
void add(const QString& folder, int ownerLockFd);
void forget(const QString& folder);
// Whether `path` lies inside one of the registered folders.
bool holds(const QString& path);
// Removes every registered folder and forgets it; waits for a book swap in progress
// (SwapGuard) to end first. Safe to call from any thread.
void removeAll();

// A stop asked for by a signal: long work checks stopRequested() and unwinds (its own
// clean-up removes its folders); it returns the signal number, 0 while none came.
void requestStop(int signal);
int stopRequested();

// Held while a finished book is moved into place, so that a clean-up on a signal never
// interrupts a swap half-way.
class SwapGuard {
  public:
    SwapGuard();
    ~SwapGuard();
    SwapGuard(const SwapGuard&) = delete;
    SwapGuard& operator=(const SwapGuard&) = delete;
};

} // namespace leafcraft::scratch

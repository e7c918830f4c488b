#include "support/BookSettings.h"

namespace leafcraft {

namespace {

constinit std::atomic<BookSettings& (*)()> sharedProvider{nullptr};

} // namespace

BookSettings& BookSettings::shared()
{
    if (BookSettings& (*provider)() = sharedProvider.load())
        return provider();
    static BookSettings* inMemory = new BookSettings(); // never destroyed, like the application's
    return *inMemory;
}

void BookSettings::setSharedProvider(BookSettings& (*provider)())
{
    sharedProvider.store(provider);
}

} // namespace leafcraft

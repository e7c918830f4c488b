// getswfSize: prints the frame size of a SWF movie (plain or zlib-compressed) in pixels as
// "width|height" and a line end, for example "1224|1584".
// Exit codes: 0 done, 2 bad call, 3 not a readable SWF movie.
#include "import/SwfFile.h"
#include "support/Error.h"

#include <cstdio>
#include <cstring>

using namespace leafcraft;

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs("Usage: getswfSize FILE.swf\nPrints the movie's frame size in pixels as width|height.\n", stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs("getswfSize: give exactly one SWF file\nUsage: getswfSize FILE.swf\n", stderr);
        return 2;
    }
    try {
        const SwfFile::Header header = SwfFile::readHeader(QString::fromLocal8Bit(argv[1]));
        std::printf("%d|%d\n", header.widthPixels(), header.heightPixels());
        return 0;
    } catch (const Error& e) {
        std::fprintf(stderr, "getswfSize: %s\n", e.text().toLocal8Bit().constData());
        return 3;
    }
}

// getswfSize: prints the frame size of a SWF movie (plain or zlib-compressed) in pixels as
// "width|height" and a line end, for example "1224|1584".
//
//   getswfSize [--] FILE.swf
//
// After "--" the argument is the file even when it starts with "-".
// Exit codes: 0 done, 2 bad call, 3 not a readable SWF movie.
#include "import/SwfFile.h"
#include "support/Error.h"

#include <cstdio>
#include <cstring>

using namespace leafcraft;

int main(int argc, char** argv)
{
    const char* const usage = "Usage: getswfSize [--] FILE.swf\n";
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::printf("%sPrints the movie's frame size in pixels as width|height.\n", usage);
        return 0;
    }
    const bool marked = argc == 3 && std::strcmp(argv[1], "--") == 0;
    if (!(argc == 2 && argv[1][0] != '-') && !marked) {
        std::fprintf(stderr, "getswfSize: give exactly one SWF file (after -- when its name starts with -)\n%s", usage);
        return 2;
    }
    try {
        const SwfFile::Header header = SwfFile::readHeader(QString::fromLocal8Bit(argv[marked ? 2 : 1]));
        std::printf("%d|%d\n", header.widthPixels(), header.heightPixels());
        return 0;
    } catch (const Error& e) {
        std::fprintf(stderr, "getswfSize: %s\n", e.text().toLocal8Bit().constData());
        return 3;
    }
}

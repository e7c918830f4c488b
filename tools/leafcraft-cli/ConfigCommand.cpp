// leafcraft-cli config: packs a book configuration document into the container the player
// reads ("files/config.xml"), and unpacks such a container.
#include "Command.h"

#include "platform/Xml.h"
#include "support/ConfigContainer.h"
#include "support/Error.h"
#include "support/SaveFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace leafcraft::cli {
namespace {

const char kConfigHelp[] = "Usage: leafcraft-cli config encode DOCUMENT.xml CONTAINER.xml\n"
                           "       leafcraft-cli config decode CONTAINER.xml\n"
                           "\n"
                           "Packs a book configuration document into the enciphered container that the\n"
                           "flip-book player reads as files/config.xml, or unpacks such a container.\n"
                           "\n"
                           "Subcommands:\n"
                           "  encode    write the container of a configuration document\n"
                           "  decode    print the configuration document held by a container\n"
                           "\n"
                           "Run 'leafcraft-cli config SUBCOMMAND --help' for details.\n";

const char kEncodeHelp[] = "Usage: leafcraft-cli config encode DOCUMENT.xml CONTAINER.xml\n"
                           "\n"
                           "Reads DOCUMENT.xml, which must be well-formed XML, serialises it again as\n"
                           "indented UTF-8, packs it as the entry \"config.xml\" of a zip archive, enciphers\n"
                           "the archive and writes the Base64 text inside <data> to CONTAINER.xml\n"
                           "(replacing it in one step; an existing file is kept when writing fails).\n"
                           "The indented document may have at most 64 MB, as 'config decode' reads.\n"
                           "\n"
                           "Exit codes: 0 written, 2 usage error, 3 DOCUMENT.xml unreadable, not XML or\n"
                           "too large, 4 CONTAINER.xml cannot be written.\n";

const char kDecodeHelp[] = "Usage: leafcraft-cli config decode CONTAINER.xml\n"
                           "\n"
                           "Prints the configuration document held by CONTAINER.xml (a book's\n"
                           "files/config.xml) to standard output, byte for byte.\n"
                           "\n"
                           "Exit codes: 0 printed, 2 usage error, 3 the file is unreadable or not a\n"
                           "configuration container.\n";

QByteArray readInput(const QString& path)
{
    // Containers and documents are a few megabytes; a FIFO or a device would never end.
    constexpr qint64 kMaxInput = 256ll << 20;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw Error(ErrorKind::BadInput, QStringLiteral("cannot read the file: not a regular file"), path);
    if (info.size() > kMaxInput)
        throw Error(ErrorKind::BadInput, QStringLiteral("cannot read the file: it is larger than 256 MB"), path);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(ErrorKind::BadInput, QStringLiteral("cannot read the file: %1").arg(in.errorString()), path);
    return in.readAll();
}

void writeOutput(const QString& path, const QByteArray& bytes)
{
    saveFile(path, bytes, QStringLiteral("the container"), {.sync = true});
}

// Positional arguments, or nullopt after reporting an unknown option.
std::optional<QStringList> positional(const QStringList& args, const QString& command)
{
    QStringList out;
    bool optionsEnded = false;
    for (const QString& a : args) {
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            usageError(QStringLiteral("unknown option '%1'").arg(a), command);
            return std::nullopt;
        } else {
            out.append(a);
        }
    }
    return out;
}

int encode(const QStringList& args)
{
    const QString command = QStringLiteral("config encode");
    if (wantsHelp(args)) {
        out(QString::fromLatin1(kEncodeHelp));
        return ExitOk;
    }
    const std::optional<QStringList> files = positional(args, command);
    if (!files)
        return ExitUsage;
    if (files->size() != 2)
        return usageError(QStringLiteral("config encode takes DOCUMENT.xml and CONTAINER.xml"), command);
    const QString documentPath = files->at(0);
    xml::Document document;
    try {
        document = xml::Document::parse(readInput(documentPath), documentPath);
    } catch (const Error& e) {
        if (e.kind() != ErrorKind::BadInput)
            throw;
        throw Error(ErrorKind::BadInput, QStringLiteral("not well-formed XML: %1").arg(e.message()), documentPath);
    }
    QByteArray container;
    try {
        container = ConfigContainer::encode(document.toBytes(xml::Output::Pretty));
    } catch (const Error& e) {
        throw Error(e.kind(), e.message(), documentPath);
    }
    writeOutput(files->at(1), container);
    return ExitOk;
}

int decode(const QStringList& args)
{
    const QString command = QStringLiteral("config decode");
    if (wantsHelp(args)) {
        out(QString::fromLatin1(kDecodeHelp));
        return ExitOk;
    }
    const std::optional<QStringList> files = positional(args, command);
    if (!files)
        return ExitUsage;
    if (files->size() != 1)
        return usageError(QStringLiteral("config decode takes one CONTAINER.xml"), command);
    const QString path = files->at(0);
    const QByteArray document = ConfigContainer::decode(readInput(path), path);
    if (std::fwrite(document.constData(), 1, size_t(document.size()), stdout) != size_t(document.size())
        || std::fflush(stdout) != 0)
        throw Error(ErrorKind::Output, QStringLiteral("cannot write to standard output"));
    return ExitOk;
}

int run(const QStringList& args)
{
    const QString command = QStringLiteral("config");
    if (args.isEmpty())
        return usageError(QStringLiteral("config needs a subcommand: encode or decode"), command);
    const QString sub = args.first();
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h") || sub == QLatin1String("help")) {
        out(QString::fromLatin1(kConfigHelp));
        return ExitOk;
    }
    if (sub == QLatin1String("encode"))
        return encode(args.mid(1));
    if (sub == QLatin1String("decode"))
        return decode(args.mid(1));
    return usageError(QStringLiteral("unknown config subcommand '%1' (use encode or decode)").arg(sub), command);
}

const CommandRegistration registration(QStringLiteral("config"),
                                       QStringLiteral("pack or unpack a book's enciphered files/config.xml"), run);

} // namespace
} // namespace leafcraft::cli

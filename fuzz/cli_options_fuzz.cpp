// The command line's option parser: the input is the argument list, one argument a line.
#include "cli/cli_options.h"
#include "common/error.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList args =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(QLatin1Char('\n'));
    try {
        const tesselka::cli::ConvertOptions options =
            tesselka::cli::ParseConvertOptions(args, QStringLiteral("/nonexistent"));
        // Whatever was accepted lies within the documented ranges.
        if (options.width < 1 || options.width > 4000 || options.scale < 1 || options.scale > 8)
            __builtin_trap();
    } catch (const tesselka::cli::UsageError&) {
    } catch (const tesselka::Error&) {
    }
    return 0;
}

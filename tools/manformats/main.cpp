// Prints the manual page's list of record formats, in roff, from the formats' own table, so
// that the page and the program never name different formats.
#include "engine/record/recordformat.h"

#include <QString>

#include <cstdio>

namespace {

// Roff reads a bare hyphen as a hyphen, not the minus of an option.
QString roff(QString text)
{
    return text.replace(QLatin1Char('\\'), QLatin1String("\\e"))
        .replace(QLatin1Char('-'), QLatin1String("\\-"));
}

} // namespace

int main()
{
    const std::vector<RecordFormatEntry> &formats = record::formats();
    std::puts("The record format:");
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const RecordFormatEntry &entry = formats[i];
        const char *lead = i == 0 ? "the default; " : "";
        const char *close = i + 1 == formats.size() ? "." : ",";
        std::printf(".B %s\n(%s%s)%s\n", qPrintable(roff(entry.name)), lead,
                    qPrintable(roff(entry.help)), close);
    }
    return 0;
}

#include "windows/main/settingsrecord.h"

namespace settingsrecord {

namespace {
constexpr char kSeparator = ',';
constexpr char kQuote = '"';

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray withoutBlanks(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin))) {
        ++begin;
    }
    while (end > begin && isBlank(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}
} // namespace

QByteArrayList fields(const QByteArray &line)
{
    QByteArrayList found;
    qsizetype pos = 0;
    while (true) {
        while (pos < line.size() && isBlank(line.at(pos))) {
            ++pos;
        }
        qsizetype next = 0;
        if (pos < line.size() && line.at(pos) == kQuote) {
            const qsizetype closing = line.indexOf(kQuote, pos + 1);
            const qsizetype end = closing < 0 ? line.size() : closing;
            found.append(line.mid(pos + 1, end - pos - 1));
            next = line.indexOf(kSeparator, end);
        } else {
            next = line.indexOf(kSeparator, pos);
            const qsizetype end = next < 0 ? line.size() : next;
            found.append(withoutBlanks(line.mid(pos, end - pos)));
        }
        if (next < 0) {
            return found;
        }
        pos = next + 1;
    }
}

std::optional<QByteArray> field(const QByteArray &value)
{
    if (value.contains(kQuote) || value.contains('\r') || value.contains('\n')) {
        return std::nullopt;
    }
    const bool needsQuotes =
        value.contains(kSeparator) ||
        (!value.isEmpty() && (isBlank(value.front()) || isBlank(value.back())));
    if (!needsQuotes) {
        return value;
    }
    return kQuote + value + kQuote;
}

} // namespace settingsrecord

#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRandomGenerator>
#include <QSize>
#include <QString>

#include <optional>
#include <utility>

// A settings file as another program, a crash or a careless hand might leave it, and what
// start-up must make of it.
struct SettingsCase
{
    QString kind;
    QByteArray bytes;
    // Com_Port afterwards: exactly this text, or, for a file cut short, a leading part of it.
    // Nothing when the file decides nothing reliable.
    std::optional<QString> port;
    bool portMayBeCut = false;
    // The window's place in pixels, left and top, where the file decides it.
    std::optional<QPoint> position;
};

// Makes settings files of eight kinds in turn: line ends mixed, cut short, random bytes,
// larger than 64 KiB, keys miscased or misspelt, quoted values, values that are no numbers,
// and bytes that are not valid text.
class SettingsFileMaker
{
public:
    static constexpr int kKinds = 8;

    // limitTwips: screen size less window size, the farthest a stored Left and Top may go.
    SettingsFileMaker(quint32 seed, const QSize &limitTwips);

    SettingsCase make(int index);

private:
    struct Position
    {
        QByteArray text;
        int pixels = 0;
    };
    struct Records
    {
        QByteArray top;
        QByteArray left;
        QByteArray port;
        QPoint position;
        QString portText;
    };

    SettingsCase mixedLineEnds();
    SettingsCase cutShort();
    SettingsCase randomBytes();
    SettingsCase huge();
    SettingsCase misKeyed();
    SettingsCase quoted();
    SettingsCase notNumbers();
    SettingsCase notText();

    Records goodRecords(const QByteArray &lineEnd);
    Position position(int limit);
    QByteArray portName();
    QByteArray comment();
    QByteArray lineEnd();
    QByteArray bytes(int count);
    int below(int bound);
    template <typename T, std::size_t N> const T &pick(const T (&choices)[N])
    {
        return choices[below(static_cast<int>(N))];
    }

    QRandomGenerator m_random;
    QSize m_limit;
};

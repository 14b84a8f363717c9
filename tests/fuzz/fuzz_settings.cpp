// libFuzzer target: the settings reader on any file content, and the port-name field on any
// text. Beyond crashes and undefined behaviour it checks that a position always lands on the
// screen and that whatever the writer stores reads back unchanged.

#include "windows/main/settingsfile.h"
#include "windows/main/settingsrecord.h"

#include <QDir>
#include <QFile>
#include <QSize>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

// A 1920 × 1080 screen and the window at its start-up size, in twips.
const QSize kScreen(28800, 16200);
const QSize kWindow(10695, 7260);
constexpr int kSavedTop = 1200;
constexpr int kSavedLeft = 2400;
constexpr std::size_t kFarFromReadLimit = 60'000;

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

QString scratchPath()
{
    return QDir::temp().filePath(QStringLiteral("kvt-fuzz-settings-%1.ini").arg(::getpid()));
}

bool onScreen(const std::optional<int> &value, int screen, int window)
{
    const int limit = screen - window;
    return !value || (*value >= std::min(0, limit) && *value <= std::max(0, limit));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString path = scratchPath();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const SettingsFile settings(path);

    // The input as a whole file.
    require(writeFile(path, bytes));
    const StoredSettings found = settings.load(kScreen, kWindow);
    require(onScreen(found.top, kScreen.height(), kWindow.height()));
    require(onScreen(found.left, kScreen.width(), kWindow.width()));
    if (found.comPort) {
        require(!found.comPort->contains(QLatin1Char('\r')) &&
                !found.comPort->contains(QLatin1Char('\n')));
    }

    // The input as one port name: a field that can hold it gives it back; the file written
    // with it reads back with the same name, or with none where the format cannot hold it.
    if (const std::optional<QByteArray> field = settingsrecord::field(bytes)) {
        const QByteArrayList fields = settingsrecord::fields("ComNo        ," + *field + "  ,x");
        require(fields.size() >= 2 && fields.at(1) == bytes);
    }
    const QString port = QString::fromUtf8(bytes);
    settings.save(kSavedTop, kSavedLeft, port);
    const StoredSettings back = settings.load(kScreen, kWindow);
    require(back.top == kSavedTop && back.left == kSavedLeft);
    // Only a name that pushes its record past the 64 KiB the reader looks at may go missing.
    require(back.comPort || size > kFarFromReadLimit);
    require(!back.comPort || *back.comPort == port || back.comPort->isEmpty());
    return 0;
}

#pragma once

#include <QString>

#include <optional>

class QSize;

// What the settings file holds for the window: position in twips, port name.
struct StoredSettings
{
    std::optional<int> top;
    std::optional<int> left;
    std::optional<QString> comPort;
};

// Where a stored Top (or Left) puts the window: the value itself when the window then lies
// within the screen, 0 for a negative value, else screen extent minus window extent (which is
// negative for a window larger than the screen).
int clampToScreen(double value, int screenExtent, int windowExtent);

// The small text file that keeps the window position and the port name between runs. Three lines,
// "Form1_Top", "Form1_Left" and "ComNo", each a key padded to 14 characters with its comma, the
// value, "  ," and a comment, ending in CR LF.
//
// Reading never fails: whatever cannot be read, for whatever reason, is simply not reported, and
// a file that cannot be written is left as it is. Start-up and shutdown go on regardless.
class SettingsFile
{
public:
    explicit SettingsFile(QString path);

    // The executable's directory, a separator, its base name and ".ini".
    static QString besideExecutable();
    // kvt318-monitor/kvt318-monitor.ini in the user's configuration folder.
    static QString inConfigFolder();
    // Whether settings beside the executable can be saved: its folder takes new files, or the
    // file is already there and writable.
    static bool canWriteBeside(const QString &beside);
    // The file beside the executable while it can be written, so that a portable copy or a
    // build tree keeps its own; otherwise the one in the configuration folder, whose folder is
    // created here. A file already beside the executable is copied there once, so that its
    // settings carry over.
    static QString choosePath(const QString &beside, const QString &inConfigFolder,
                              bool besideWritable);
    // The choice for this program as installed or built.
    static QString defaultPath();

    // Reads the records, later ones overriding earlier ones; Top and Left come clamped to the
    // screen (sizes in twips). A missing file is created empty.
    [[nodiscard]] StoredSettings load(const QSize &screen, const QSize &window) const;

    // Replaces the file with the three records.
    void save(int top, int left, const QString &comPort) const;

private:
    QString m_path;
};

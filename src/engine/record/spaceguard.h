#pragma once

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>
#include <vector>

// What a file that keeps its file system from filling has to tell its user.
struct FileNotice
{
    enum class Kind {
        Paused,     // free space fell below the floor: rows are dropped
        Resumed,    // there is room again; droppedRows were dropped meanwhile
        NotDeleted, // an old rotated file could not be deleted: reason
    };
    Kind kind = Kind::Paused;
    QString file;
    qint64 freeBytes = 0;
    qint64 floorBytes = 0;
    qint64 droppedRows = 0;
    QString reason;
};

// Keeps a writer from filling its file system: below the floor its rows are dropped and counted
// instead of written, and it writes again once the room is back with a margin, so that a disk
// hovering at the floor does not flap. The file system is asked at most once a second: a statvfs
// per row would cost more than the row.
class SpaceGuard
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kCheckInterval{1};
    // Writing resumes at the floor plus this share of it.
    static constexpr qint64 kResumeMarginDivisor = 20;

    // No floor with 0.
    explicit SpaceGuard(qint64 floorBytes = 0);
    // The floor for the file at path: none for standard output ("-"), devices and pipes.
    static SpaceGuard forFile(const QString &path, qint64 floorBytes);

    // Whether a row may go to the file at path; `now` asks the file system at once (before a new
    // file is opened). A pause or a resumption is added to notices.
    bool admits(const QString &path, std::vector<FileNotice> &notices, bool now = false);
    // A row not written for want of room.
    void drop();
    [[nodiscard]] qint64 droppedRows() const { return m_dropped; }

    // The room left for an unprivileged writer on the file system holding path (its folder
    // when it does not exist yet); nothing when the system cannot tell.
    static std::optional<qint64> freeBytes(const QString &path);

private:
    qint64 m_floor = 0;
    bool m_paused = false;
    Clock::time_point m_nextCheck{};
    qint64 m_dropped = 0;
    qint64 m_droppedSincePause = 0;
};

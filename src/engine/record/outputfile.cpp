#include "engine/record/outputfile.h"

#include "engine/protocol/reading.h"
#include "engine/record/recordencoder.h"
#include "engine/record/sweeprecord.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString nameOf(const QString &path)
{
    return path == QLatin1String("-") ? QStringLiteral("standard output") : path;
}

// Unbuffered: each row is one write(2), nothing waits in a buffer of the program's own.
bool openForAppending(QFile &file, const QString &path)
{
    if (path == QLatin1String("-")) {
        // The descriptor, not the C stream: a writer blocked in it must not hold the stream's
        // lock that the exit takes.
        return file.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    file.setFileName(path);
    // Devices and pipes have no end to append at.
    const QFileInfo info(path);
    const bool special = info.exists() && !info.isFile() && !info.isDir();
    return file.open(special ? QIODevice::WriteOnly | QIODevice::Unbuffered
                             : QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

} // namespace

OutputFile::OutputFile(QString path, RecordFormat format, WriterSettings settings, FileRules rules)
    : m_path(std::move(path))
    , m_format(record::formatEntry(format))
    , m_settings(std::move(settings))
    , m_rules(rules)
    , m_guard(SpaceGuard::forFile(m_path, m_rules.minFreeBytes))
    , m_claim(m_path)
{}

OutputFile::~OutputFile() = default;

QString OutputFile::openError(const QString &path)
{
    QFile file;
    return openForAppending(file, path) ? QString()
                                        : nameOf(path) + QLatin1String(": ") + file.errorString();
}

bool OutputFile::open()
{
    if (std::exchange(m_openedAhead, false)) {
        m_open = !m_encoder || writeDueHeader();
        return m_open;
    }
    startPeriod();
    // A file system already below the floor gets no file, not even a header, until there is
    // room: a service restarted on a full disk must not fail at its first write again.
    m_open = !m_guard.admits(currentPath(), m_notices, true) || openFile();
    return m_open;
}

bool OutputFile::openAhead()
{
    startPeriod();
    m_openedAhead = !m_guard.admits(currentPath(), m_notices, true) || openDescriptor();
    return m_openedAhead;
}

void OutputFile::startPeriod()
{
    m_claim.wait();
    if (m_rules.rotate) {
        m_period = rotation::periodStart(m_startUtcMs.value_or(QDateTime::currentMSecsSinceEpoch()),
                                         *m_rules.rotate);
    }
}

bool OutputFile::write(const SweepRecord &sweep)
{
    return m_format.takesReadings || writeRecord(sweep.utcMs, sweep);
}

bool OutputFile::write(const Reading &reading)
{
    return !m_format.takesReadings || writeRecord(reading.utcMs, reading);
}

template <typename Record> bool OutputFile::writeRecord(qint64 utcMs, const Record &record)
{
    bool newFile = false;
    if (m_rules.rotate) {
        const qint64 period = rotation::periodStart(utcMs, *m_rules.rotate);
        if (period != m_period) {
            if (!closeFile()) {
                return false;
            }
            m_period = period;
            newFile = true;
        }
    }
    if (!m_guard.admits(currentPath(), m_notices, newFile)) {
        m_guard.drop();
        return true;
    }
    if (!m_encoder && !openFile()) {
        return false;
    }
    if constexpr (std::is_same_v<Record, SweepRecord>) {
        return writeBytes(m_encoder->sweep(record));
    } else {
        return writeBytes(m_encoder->reading(record));
    }
}

bool OutputFile::sync()
{
    return !m_encoder || syncFile();
}

bool OutputFile::reopen()
{
    return closeFile() && (!m_guard.admits(currentPath(), m_notices, true) || openFile());
}

bool OutputFile::close()
{
    m_open = false;
    return closeFile();
}

std::vector<FileNotice> OutputFile::takeNotices()
{
    return std::exchange(m_notices, {});
}

QString OutputFile::displayName() const
{
    return nameOf(m_path);
}

QString OutputFile::currentPath() const
{
    return m_rules.rotate ? rotation::fileName(m_path, m_period, *m_rules.rotate) : m_path;
}

bool OutputFile::openFile()
{
    return openDescriptor() && writeDueHeader();
}

bool OutputFile::openDescriptor()
{
    const QString path = currentPath();
    if (!openForAppending(m_file, path)) {
        return fail(m_file.errorString());
    }
    m_encoder = m_format.makeEncoder(m_settings);
    // Appending to an earlier recording of the same format: its header is already there.
    // Standard output always starts with one, whatever it is redirected to.
    m_headerDue = path == QLatin1String("-") || m_file.isSequential() || m_file.size() == 0;
    return true;
}

bool OutputFile::writeDueHeader()
{
    if (std::exchange(m_headerDue, false) && !writeBytes(m_encoder->header())) {
        m_encoder.reset();
        m_file.close();
        return false;
    }
    deleteOldFiles();
    return true;
}

bool OutputFile::closeFile()
{
    if (!m_encoder) {
        return true;
    }
    const bool ended = writeBytes(m_encoder->end()) && syncFile();
    m_encoder.reset();
    m_file.close();
    return ended;
}

bool OutputFile::writeBytes(const QByteArray &bytes)
{
    if (!bytes.isEmpty() && m_file.write(bytes) != bytes.size()) {
        return fail(m_file.errorString());
    }
    if (fileRemoved()) {
        return fail(QString::fromLocal8Bit(std::strerror(ENOENT)));
    }
    return true;
}

bool OutputFile::syncFile()
{
#ifdef Q_OS_UNIX
    struct stat status = {};
    // Pipes, terminals and devices have no disk to sync.
    if (::fstat(m_file.handle(), &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fdatasync(m_file.handle()) == 0) {
        return true;
    }
    return fail(QString::fromLocal8Bit(std::strerror(errno)));
#else
    return m_file.flush() || fail(m_file.errorString());
#endif
}

bool OutputFile::fail(const QString &reason)
{
    m_error = nameOf(currentPath()) + QLatin1String(": ") + reason;
    return false;
}

bool OutputFile::fileRemoved() const
{
#ifdef Q_OS_UNIX
    // Writes to an unlinked file succeed and vanish with it: notice it instead.
    struct stat status = {};
    return ::fstat(m_file.handle(), &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_nlink == 0;
#else
    return false;
#endif
}

void OutputFile::deleteOldFiles()
{
    if (!m_rules.rotate || !m_rules.keep) {
        return;
    }
    const QFileInfo output(m_path);
    QDir folder = output.absoluteDir();
    QStringList rotated;
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (rotation::isRotatedName(m_path, name, *m_rules.rotate)) {
            rotated.append(name);
        }
    }
    // The stamps sort as their times do; the file being written stays whatever the clock did.
    const QString current = QFileInfo(currentPath()).fileName();
    rotated.removeAll(current);
    const qsizetype excess = rotated.size() - (*m_rules.keep - 1);
    for (qsizetype i = 0; i < excess; ++i) {
        QFile old(folder.filePath(rotated[i]));
        if (!old.remove()) {
            m_notices.push_back(
                {FileNotice::Kind::NotDeleted, old.fileName(), 0, 0, 0, old.errorString()});
        }
    }
}

#include "engine/record/recordfile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

RecordFile::RecordFile(QString path, RecordFormat format, WriterSettings settings)
    : m_path(std::move(path))
    , m_format(format)
    , m_settings(std::move(settings))
{}

RecordFile::~RecordFile() = default;

bool RecordFile::open()
{
    m_writer.reset();
    m_file.close();
    bool opened = false;
    const bool toStdout = m_path == QLatin1String("-");
    // Unbuffered: each row is one write(2), nothing waits in a buffer of the program's own.
    if (toStdout) {
        // The descriptor, not the C stream: a writer blocked in it must not hold the stream's
        // lock that the exit takes.
        opened = m_file.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    } else {
        m_file.setFileName(m_path);
        // Devices and pipes have no end to append at.
        const QFileInfo info(m_path);
        const bool special = info.exists() && !info.isFile() && !info.isDir();
        opened =
            m_file.open(special ? QIODevice::WriteOnly | QIODevice::Unbuffered
                                : QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    }
    if (!opened) {
        m_error = displayName() + QLatin1String(": ") + m_file.errorString();
        return false;
    }
    m_writer = record::makeWriter(m_format, m_file, m_settings);
    // Appending to an earlier recording of the same format: its header is already there.
    // Standard output always starts with one, whatever it is redirected to.
    m_headerDue = toStdout || m_file.isSequential() || m_file.size() == 0;
    return true;
}

bool RecordFile::writeHeader()
{
    if (!m_headerDue) {
        return true;
    }
    m_headerDue = false;
    return m_writer && checked(m_writer->writeHeader());
}

bool RecordFile::writeEnd()
{
    return m_writer && checked(m_writer->writeEnd());
}

bool RecordFile::writeSweep(const SweepRecord &sweep)
{
    return m_writer && checked(m_writer->writeSweep(sweep));
}

bool RecordFile::writeReading(const Reading &reading)
{
    return m_writer && checked(m_writer->writeReading(reading));
}

bool RecordFile::takesReadings() const
{
    return record::takesReadings(m_format);
}

bool RecordFile::sync()
{
#ifdef Q_OS_UNIX
    struct stat status = {};
    // Pipes, terminals and devices have no disk to sync.
    if (::fstat(m_file.handle(), &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fdatasync(m_file.handle()) == 0) {
        return true;
    }
    m_error = displayName() + QLatin1String(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
#else
    return m_file.flush();
#endif
}

QString RecordFile::errorString() const
{
    return m_error;
}

bool RecordFile::checked(bool written)
{
    if (!written) {
        m_error = displayName() + QLatin1String(": ") + m_writer->errorString();
        return false;
    }
    if (fileRemoved()) {
        m_error =
            displayName() + QLatin1String(": ") + QString::fromLocal8Bit(std::strerror(ENOENT));
        return false;
    }
    return true;
}

bool RecordFile::fileRemoved() const
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

QString RecordFile::displayName() const
{
    return m_path == QLatin1String("-") ? QStringLiteral("standard output") : m_path;
}

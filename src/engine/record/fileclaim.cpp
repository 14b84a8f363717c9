#include "engine/record/fileclaim.h"

#include <QDir>
#include <QFileInfo>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

namespace {

struct Lines
{
    std::mutex mutex;
    std::condition_variable released;
    // The claims not yet released, per file, oldest first.
    std::map<QString, std::set<quint64>> waiting;
    quint64 lastTicket = 0;
};

// Never destroyed: a writer left to a write that never returns may release its claim while the
// program exits.
Lines &lines()
{
    static auto *const theLines = new Lines;
    return *theLines;
}

// The same text for every name of one file: links resolved, a file not yet made named by its
// folder's canonical path.
QString canonical(const QString &path)
{
    if (path == QLatin1String("-")) {
        return path;
    }
    const QFileInfo info(path);
    if (info.exists()) {
        return info.canonicalFilePath();
    }
    const QString folder = QDir(info.absolutePath()).canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

} // namespace

FileClaim::FileClaim(const QString &path)
    : m_file(canonical(path))
{
    Lines &all = lines();
    const std::lock_guard lock(all.mutex);
    m_ticket = ++all.lastTicket;
    all.waiting[m_file].insert(m_ticket);
}

FileClaim::~FileClaim()
{
    Lines &all = lines();
    {
        const std::lock_guard lock(all.mutex);
        const auto line = all.waiting.find(m_file);
        line->second.erase(m_ticket);
        if (line->second.empty()) {
            all.waiting.erase(line);
        }
    }
    all.released.notify_all();
}

bool FileClaim::isServed() const
{
    Lines &all = lines();
    const std::lock_guard lock(all.mutex);
    return *all.waiting.at(m_file).begin() == m_ticket;
}

void FileClaim::wait() const
{
    Lines &all = lines();
    std::unique_lock lock(all.mutex);
    all.released.wait(lock, [&all, this] { return *all.waiting.at(m_file).begin() == m_ticket; });
}

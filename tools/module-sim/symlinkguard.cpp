#include "symlinkguard.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kvtsim {

namespace {

std::string readLink(const std::string &path)
{
    struct stat info = {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(info.st_size) + 1);
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

} // namespace

SymlinkGuard::SymlinkGuard(std::string linkPath, std::string target)
    : m_linkPath(std::move(linkPath))
    , m_target(std::move(target))
{
    struct stat info = {};
    if (::lstat(m_linkPath.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            throw std::system_error(EEXIST, std::generic_category(),
                                    m_linkPath + " exists and is not a symbolic link");
        }
        if (::unlink(m_linkPath.c_str()) != 0) {
            throw std::system_error(errno, std::generic_category(), "cannot replace " + m_linkPath);
        }
    }
    if (::symlink(m_target.c_str(), m_linkPath.c_str()) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot create link " + m_linkPath);
    }
}

SymlinkGuard::~SymlinkGuard()
{
    if (readLink(m_linkPath) == m_target) {
        ::unlink(m_linkPath.c_str());
    }
}

} // namespace kvtsim

#pragma once

#include <QString>
#include <QtGlobal>

// One writer per file in this process: a recording stopped and another started to the same
// file never interleave their rows, however long the first one's writer still takes to drain a
// slow disk. Claims on one file (the same canonical path; "-" is standard output) are served in
// the order they were made, each once those before it are released.
class FileClaim
{
public:
    // A claim in line behind the earlier claims on the file at path.
    explicit FileClaim(const QString &path);
    // Releases the claim, or leaves the line.
    ~FileClaim();
    FileClaim(const FileClaim &) = delete;
    FileClaim &operator=(const FileClaim &) = delete;

    // Whether every earlier claim on the file is released.
    [[nodiscard]] bool isServed() const;
    // Waits until it is.
    void wait() const;

private:
    QString m_file;
    quint64 m_ticket = 0;
};

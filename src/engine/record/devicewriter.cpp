#include "engine/record/devicewriter.h"

#include <QFileDevice>
#include <QIODevice>

DeviceWriter::DeviceWriter(QIODevice &device)
    : m_device(device)
{}

QString DeviceWriter::errorString() const
{
    return m_error;
}

bool DeviceWriter::writeLine(const QByteArray &line)
{
    bool written = m_device.write(line) == line.size();
    if (auto *file = qobject_cast<QFileDevice *>(&m_device)) {
        written = file->flush() && written;
    }
    if (!written) {
        m_error = m_device.errorString();
    }
    return written;
}

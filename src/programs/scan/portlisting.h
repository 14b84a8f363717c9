#pragma once

#include <QList>
#include <QString>

class PortLinks;
struct PortDevice;

// What kvt318-scan --list-ports prints: a block per port, its device name first, then an
// indented line for each of its stable links ("by-id: …", named after the link's folder), its
// description and its USB ids; a blank line between blocks. Empty without ports.
namespace portlisting {

QString text(const QList<PortDevice> &ports, const PortLinks &links);

} // namespace portlisting

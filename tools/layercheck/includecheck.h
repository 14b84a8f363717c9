#pragma once

#include <QString>
#include <QStringList>

class LayerList;

// What the includes of a source tree say against its layer list.
struct IncludeReport
{
    int files = 0;
    int includes = 0;
    QStringList problems;
};

// Reads every header and source file of the listed folders and of the folders beside the
// source folder that the list names, and reports each quoted include that the list refuses,
// each file in no listed folder, and one include circle if there is one.
class IncludeCheck
{
public:
    static IncludeReport run(const QString &sourceFolder, const LayerList &layers);
};

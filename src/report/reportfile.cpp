#include "report/reportcontent.h"
#include "report/reportdocument.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

namespace surveyreport {

QString emptiness(const ReportContent &content)
{
    if (content.waterfall.sweeps() == 0) {
        return QCoreApplication::translate("SurveyReport", "no sweep to report");
    }
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        if (content.statistics.channel(index).hourSamples > 0) {
            return {};
        }
    }
    return QCoreApplication::translate("SurveyReport", "no reading inside the hours %1 to report")
        .arg(content.statistics.hours().text());
}

QString write(QSaveFile &file, const ReportContent &content)
{
    ReportDocument(content).write(file);
    if (!file.commit()) {
        return file.fileName() + QLatin1String(": ") + file.errorString();
    }
    return {};
}

QString writeFile(const QString &path, const ReportContent &content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return path + QLatin1String(": ") + file.errorString();
    }
    return write(file, content);
}

QString fileSha256(const QString &path, QString *error)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) {
        *error = path + QLatin1String(": ") + file.errorString();
        return {};
    }
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace surveyreport

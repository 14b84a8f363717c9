#include "programs/scan/runresults.h"

#include "engine/record/channelstatistics.h"
#include "engine/record/tracewriter.h"
#include "painters/chartimage.h"
#include "programs/scan/scanoptions.h"

#include <QImage>
#include <QSaveFile>

namespace {

QString saveError(const QSaveFile &file)
{
    return file.fileName() + QLatin1String(": ") + file.errorString();
}

} // namespace

RunResults::RunResults(const ScanOptions &options)
    : m_options(options)
{}

RunResults::~RunResults() = default;

QString RunResults::open()
{
    for (auto [path, file] :
         {std::pair{m_options.summaryPath, &m_summary}, std::pair{m_options.hourlyPath, &m_hourly},
          std::pair{m_options.pngPath, &m_png}, std::pair{m_options.tracePath, &m_trace}}) {
        if (path.isEmpty()) {
            continue;
        }
        *file = std::make_unique<QSaveFile>(path);
        if (!(*file)->open(QIODevice::WriteOnly)) {
            return saveError(**file);
        }
    }
    return {};
}

QStringList RunResults::write(const ChannelStatistics &statistics, const MonitorState &readings,
                              const Baseline *baseline)
{
    QStringList errors;
    const auto commit = [&errors](QSaveFile &file, bool written) {
        if (!written || !file.commit()) {
            errors.append(saveError(file));
        }
    };
    if (m_summary) {
        commit(*m_summary, record::writeSummaryCsv(*m_summary, statistics, baseline));
    }
    if (m_hourly) {
        commit(*m_hourly, record::writeHourlyCsv(*m_hourly, statistics));
    }
    if (m_trace) {
        commit(*m_trace, record::writeTrace(*m_trace, statistics, m_options.traceLevel));
    }
    if (m_png) {
        commit(*m_png, scan::chartImage(readings).save(m_png.get(), "PNG"));
    }
    return errors;
}

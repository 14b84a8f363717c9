#include "windows/history/exportcontrols.h"

#include "engine/record/channelstatistics.h"
#include "windows/history/imagefiles.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QSaveFile>
#include <QStandardPaths>

#include <tuple>
#include <utility>

ExportControls::ExportControls(Shown shown, SavePathChooser chooser, QWidget *window)
    : QObject(window)
    , m_shown(std::move(shown))
    , m_chooser(std::move(chooser))
    , m_window(window)
{}

void ExportControls::addTo(QMenu *menu)
{
    connect(menu->addAction(tr("Save &waterfall image…")), &QAction::triggered, this,
            [this] { run(waterfallImage()); });
    connect(menu->addAction(tr("&Export statistics (CSV)…")), &QAction::triggered, this,
            [this] { run(statistics()); });
    // The level frequency-coordination software should treat as the channel's.
    QMenu *trace = menu->addMenu(tr("Export &trace for frequency planning"));
    for (const auto &[level, text, name] :
         {std::tuple{TraceLevel::Max, tr("&Held maximum…"), "exportTraceMax"},
          std::tuple{TraceLevel::Mean, tr("&Mean…"), "exportTraceMean"},
          std::tuple{TraceLevel::Median, tr("Me&dian…"), "exportTraceMedian"},
          std::tuple{TraceLevel::P90, tr("&90th percentile…"), "exportTraceP90"}}) {
        QAction *action = trace->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this,
                [this, chosen = level] { run(this->trace(chosen)); });
    }
}

void ExportControls::run(const Export &file)
{
    const QString path = m_chooser(m_window, file.title, file.proposedPath, file.filter);
    if (path.isEmpty()) {
        return;
    }
    const QString error = file.write(path);
    if (!error.isEmpty()) {
        Q_EMIT failed(error);
    }
}

ExportControls::Export ExportControls::waterfallImage() const
{
    return {tr("Save waterfall image"), imagefiles::proposedPath(), tr("PNG images (*.png)"),
            [this](const QString &path) {
                return imagefiles::savePng(m_shown.waterfallImage(), path);
            }};
}

ExportControls::Export ExportControls::statistics() const
{
    return csv(tr("Export statistics"), [this](QIODevice &device) {
        return record::writeSummaryCsv(device, m_shown.statistics(), m_shown.baseline());
    });
}

ExportControls::Export ExportControls::trace(TraceLevel level) const
{
    return csv(tr("Export trace for frequency planning"), [this, level](QIODevice &device) {
        return record::writeTrace(device, m_shown.statistics(), level);
    });
}

// Written whole: an existing file is replaced only once the new one is complete.
ExportControls::Export ExportControls::csv(const QString &title,
                                           std::function<bool(QIODevice &device)> write)
{
    return {title,
            savepath::proposed(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                               QStringLiteral("csv")),
            tr("CSV files (*.csv)"), [write = std::move(write)](const QString &path) {
                QSaveFile file(path);
                if (!file.open(QIODevice::WriteOnly) || !write(file) || !file.commit()) {
                    return path + QLatin1String(": ") + file.errorString();
                }
                return QString();
            }};
}

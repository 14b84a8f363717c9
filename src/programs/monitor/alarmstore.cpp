#include "programs/monitor/alarmstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <utility>

namespace {
const QString kRules = QStringLiteral("rules");
const QString kText = QStringLiteral("rule");
const QString kEnabled = QStringLiteral("enabled");
const QString kNotify = QStringLiteral("notify");
const QString kSound = QStringLiteral("sound");
} // namespace

AlarmStore::AlarmStore(QString path)
    : m_path(std::move(path))
{}

QString AlarmStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kvt318-monitor/alarms.ini");
}

AlarmStore::Contents AlarmStore::load() const
{
    QSettings reader(m_path, QSettings::IniFormat);
    Contents contents;
    contents.notify = reader.value(kNotify, contents.notify).toBool();
    contents.sound = reader.value(kSound, contents.sound).toBool();
    const int count = reader.beginReadArray(kRules);
    for (int i = 0; i < count; ++i) {
        reader.setArrayIndex(i);
        const QString text = reader.value(kText).toString().trimmed();
        if (!text.isEmpty()) {
            contents.rules.append({text, reader.value(kEnabled, true).toBool(), false});
        }
    }
    reader.endArray();
    return contents;
}

bool AlarmStore::save(const Contents &contents, QString &error) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSettings settings(m_path, QSettings::IniFormat);
    settings.clear();
    settings.setValue(kNotify, contents.notify);
    settings.setValue(kSound, contents.sound);
    settings.beginWriteArray(kRules);
    int index = 0;
    for (const AlarmRuleEntry &rule : contents.rules) {
        if (rule.sessionOnly) {
            continue;
        }
        settings.setArrayIndex(index++);
        settings.setValue(kText, rule.text);
        settings.setValue(kEnabled, rule.enabled);
    }
    settings.endArray();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        error = QStringLiteral("%1: cannot be written").arg(m_path);
        return false;
    }
    return true;
}

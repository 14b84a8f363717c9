#include "programs/monitor/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace translations {

void install(QCoreApplication &app)
{
    const QLocale locale;
    // Qt's own texts (dialog buttons) when the system has them; nothing is lost without them.
    auto *qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    }
    auto *own = new QTranslator(&app);
    if (own->load(locale, QStringLiteral("kvt318"), QStringLiteral("_"),
                  QStringLiteral(":/i18n"))) {
        QCoreApplication::installTranslator(own);
    }
}

} // namespace translations

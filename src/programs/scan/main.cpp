#include "engine/port/portlinks.h"
#include "engine/port/systemportdevices.h"
#include "programs/scan/exitcodes.h"
#include "programs/scan/portlisting.h"
#include "programs/scan/scanoptions.h"
#include "programs/scan/scanprogram.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

int listPorts()
{
    const QString text = portlisting::text(SystemPortDevices().list(), PortLinks());
    if (text.isEmpty()) {
        std::fputs("kvt318-scan: no serial ports found\n", stderr);
    } else {
        std::fputs(qPrintable(text), stdout);
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("kvt318-scan"));
    const scanoptions::Parsed parsed = scanoptions::parse(argumentsOf(argc, argv));
    switch (parsed.action) {
    case scanoptions::Action::Help:
    case scanoptions::Action::Version:
        std::fputs(qPrintable(parsed.text + QLatin1Char('\n')), stdout);
        return 0;
    case scanoptions::Action::Usage:
        std::fprintf(stderr, "kvt318-scan: %s\n", qPrintable(parsed.text));
        std::fputs("Usage: kvt318-scan [options] PORT\n"
                   "       kvt318-scan [options] --replay FILE\n"
                   "Run 'kvt318-scan --help' for the options and exit codes.\n",
                   stderr);
        return exitcodes::kBadUsage;
    case scanoptions::Action::ListPorts: {
        const QCoreApplication app(argc, argv);
        return listPorts();
    }
    case scanoptions::Action::Run:
        break;
    }

    // Painting the chart image and the report needs Qt Gui; no display is ever opened.
    std::unique_ptr<QCoreApplication> app;
    if (parsed.options.pngPath.isEmpty() && parsed.options.reportPath.isEmpty()) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    // The report's texts in the user's language.
    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("kvt318"), QStringLiteral("_"),
                        QStringLiteral(":/i18n"))) {
        QCoreApplication::installTranslator(&translator);
    }
    ScanProgram program(parsed.options);
    program.start();
    return program.exitCode() ? *program.exitCode() : QCoreApplication::exec();
}

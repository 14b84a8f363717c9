#include "windows/history/helpwindow.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QString row(const QString &key, const QString &meaning)
{
    return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
        .arg(key.toHtmlEscaped(), meaning.toHtmlEscaped());
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("KVT-318 Shortcuts"));
    auto *browser = new QTextBrowser(this);
    browser->setHtml(text());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    resize(520, 420);
}

QString HelpWindow::text()
{
    QString html = QStringLiteral("<h3>%1</h3><table cellspacing=\"6\">").arg(tr("Shortcuts"));
    html += row(QStringLiteral("Ctrl+H"), tr("Open the history window, or raise it"));
    html += row(QStringLiteral("Ctrl+S"), tr("Save the chart as a PNG image"));
    html += row(QStringLiteral("Ctrl+R"), tr("Reset the held maximum to the latest readings"));
    html += row(QStringLiteral("Ctrl+O"), tr("In the history window: open a recording"));
    html += row(QStringLiteral("Esc"), tr("In the history window: clear the selected span"));
    html += row(QStringLiteral("F1"), tr("This help"));
    html += QStringLiteral("</table><h3>%1</h3><table cellspacing=\"6\">")
                .arg(tr("Command line of kvt318-monitor"));
    html += row(QStringLiteral("--record FILE"),
                tr("Record every complete sweep of every run to FILE (CSV, appended)"));
    html += row(QStringLiteral("--history"), tr("Open the history window at start"));
    html += row(QStringLiteral("--open FILE"),
                tr("Open the history window at start, showing recording FILE"));
    html += row(QStringLiteral("--watch URL[#RECEIVER]"),
                tr("Watch the scanners of an MQTT broker: its receivers listed at start, or "
                   "RECEIVER's history window"));
    html += row(QStringLiteral("--help"), tr("Show the options and exit"));
    html += row(QStringLiteral("--version"), tr("Show the version and exit"));
    html += QStringLiteral("</table>");
    return html;
}

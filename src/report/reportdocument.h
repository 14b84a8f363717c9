#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QRect>
#include <QStringList>

class QIODevice;
class QPainter;
class QPdfWriter;
struct ReportContent;

// The pages of a survey report, A4, drawn by the painters the windows use, in the language of
// the locale with its fonts embedded, every figure as text: what was measured and the warnings,
// occupancy per channel, the waterfall of the whole period, the hour-of-day map, the channels'
// figures, and the plan and the alarms when there are some.
class ReportDocument
{
    Q_DECLARE_TR_FUNCTIONS(SurveyReport)

public:
    explicit ReportDocument(const ReportContent &content);

    // Writes the PDF into the device.
    void write(QIODevice &device);

private:
    // A table's column: its heading, its share of the width and how its cells stand.
    struct Column
    {
        QString heading;
        int width = 1;
        Qt::Alignment alignment = Qt::AlignRight;
    };

    void facts();
    void warnings();
    void occupancy();
    void waterfall();
    void hourMap();
    void channelTable();
    void plan();
    void alarms();

    void heading(const QString &text);
    void line(const QString &text);
    void table(const QList<Column> &columns, const QList<QStringList> &rows);
    void tableRow(const QList<Column> &columns, const QStringList &cells, bool bold);
    // Starts a new page unless height fits below the cursor.
    void room(int height);
    void newPage();
    [[nodiscard]] int lineHeight() const;
    [[nodiscard]] QString time(qint64 utcMs) const;

    const ReportContent &m_content;
    QPdfWriter *m_writer = nullptr;
    QPainter *m_painter = nullptr;
    QFont m_font;
    QRect m_page;
    int m_y = 0;
};

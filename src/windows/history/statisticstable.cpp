#include "windows/history/statisticstable.h"

#include "windows/history/statisticsmodel.h"

#include <QEvent>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStyleOptionHeader>

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

// The style's room around an item's text.
int cellPadding(const QWidget &view)
{
    return 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1);
}

QRect unbounded(int width)
{
    return {0, 0, width, std::numeric_limits<int>::max() / 2};
}

} // namespace

StatisticsTable::StatisticsTable(StatisticsModel *model, QWidget *parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("statistics"));
    auto *sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(model);
    sorted->setSortRole(Qt::UserRole);
    setModel(sorted);
    setSortingEnabled(true);
    sortByColumn(StatisticsModel::Channel, Qt::AscendingOrder);
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    QHeaderView *header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    // Wrapped rather than cut short.
    header->setTextElideMode(Qt::ElideNone);
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column, int /*old*/, int width) { keepUserWidth(column, width); });
    // Baseline columns come and go.
    connect(sorted, &QAbstractItemModel::modelReset, this, &StatisticsTable::measureColumns);
    measureColumns();
}

void StatisticsTable::setUserWidths(const QList<int> &widths)
{
    m_userWidths = widths;
    fitColumns();
}

QString StatisticsTable::heading(int column) const
{
    return model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

// The heading's text room in a section of this width, with a sort arrow in it.
int StatisticsTable::headingRoom(int column, int width) const
{
    QStyleOptionHeader option;
    option.initFrom(horizontalHeader());
    option.section = column;
    option.rect = QRect(0, 0, width, horizontalHeader()->height());
    option.sortIndicator = QStyleOptionHeader::SortDown;
    return style()->subElementRect(QStyle::SE_HeaderLabel, &option, horizontalHeader()).width();
}

int StatisticsTable::headingHeight(int column, int width) const
{
    return horizontalHeader()
        ->fontMetrics()
        .boundingRect(unbounded(headingRoom(column, width)), Qt::TextWordWrap, heading(column))
        .height();
}

int StatisticsTable::neededWidth(int column) const
{
    const QFontMetrics metrics = horizontalHeader()->fontMetrics();
    const int valueWidth =
        fontMetrics().horizontalAdvance(StatisticsModel::widestText(column)) + cellPadding(*this);
    const int lines = kHeaderLines * metrics.lineSpacing();
    const QString text = heading(column);
    // The narrowest width that wraps the heading onto the lines without a word sticking out.
    int width = std::max(valueWidth, 1);
    while (true) {
        const int room = headingRoom(column, width);
        const QRect wrapped = metrics.boundingRect(unbounded(room), Qt::TextWordWrap, text);
        if (room > 0 && wrapped.width() <= room && wrapped.height() <= lines) {
            return width;
        }
        ++width;
    }
}

void StatisticsTable::measureColumns()
{
    m_needed.clear();
    for (int column = 0; column < model()->columnCount(); ++column) {
        m_needed.append(neededWidth(column));
    }
    fitColumns();
}

void StatisticsTable::fitColumns()
{
    const int columns = static_cast<int>(m_needed.size());
    QList<int> widths = m_needed;
    const int needed = std::accumulate(widths.cbegin(), widths.cend(), 0);
    if (m_userWidths.isEmpty() && columns > 0) {
        const int spare = std::max(0, viewport()->width() - needed);
        for (int column = 0; column < columns; ++column) {
            widths[column] += spare / columns + (column < spare % columns ? 1 : 0);
        }
    }
    int headerHeight = 0;
    m_fitting = true;
    for (int column = 0; column < columns; ++column) {
        if (column < m_userWidths.size() && m_userWidths[column] > 0) {
            widths[column] = m_userWidths[column];
        }
        horizontalHeader()->resizeSection(column, widths[column]);
        headerHeight = std::max(headerHeight, headingHeight(column, widths[column]));
    }
    m_fitting = false;
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    horizontalHeader()->setFixedHeight(headerHeight + 2 * margin);
}

void StatisticsTable::keepUserWidth(int column, int width)
{
    if (m_fitting) {
        return;
    }
    if (m_userWidths.isEmpty()) {
        for (int other = 0; other < model()->columnCount(); ++other) {
            m_userWidths.append(horizontalHeader()->sectionSize(other));
        }
    }
    while (m_userWidths.size() <= column) {
        m_userWidths.append(0);
    }
    m_userWidths[column] = width;
}

void StatisticsTable::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    if (m_userWidths.isEmpty()) {
        fitColumns();
    }
}

void StatisticsTable::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        measureColumns();
    }
}

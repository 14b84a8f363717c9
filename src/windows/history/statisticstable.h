#pragma once

#include <QList>
#include <QTableView>

class StatisticsModel;

// The per-channel statistics, sortable by any column. Every heading and value is shown whole:
// each column is at least as wide as its heading, wrapped onto a few lines, and the widest
// value it can hold, and the columns share the rest of the width. Once the user sets a
// column's width by hand, the widths are theirs.
class StatisticsTable : public QTableView
{
    Q_OBJECT

public:
    static constexpr int kHeaderLines = 3;

    explicit StatisticsTable(StatisticsModel *model, QWidget *parent = nullptr);

    // Each column's width as the user left it, by column, including columns not shown now;
    // empty while the widths are the table's own.
    [[nodiscard]] QList<int> userWidths() const { return m_userWidths; }
    void setUserWidths(const QList<int> &widths);
    // The width that shows the column's heading and its widest value whole.
    [[nodiscard]] int neededWidth(int column) const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void measureColumns();
    void fitColumns();
    void keepUserWidth(int column, int width);
    [[nodiscard]] QString heading(int column) const;
    [[nodiscard]] int headingRoom(int column, int width) const;
    [[nodiscard]] int headingHeight(int column, int width) const;

    QList<int> m_userWidths;
    // neededWidth() of each column shown.
    QList<int> m_needed;
    bool m_fitting = false;
};

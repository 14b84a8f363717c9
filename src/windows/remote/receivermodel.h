#pragma once

#include <QAbstractTableModel>

class ReceiverDirectory;

// The receivers of a broker as a table: name, state, last seen, model, rate, topic prefix.
class ReceiverModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Name, State, LastSeen, Model, Rate, Prefix, ColumnCount };

    explicit ReceiverModel(QObject *parent = nullptr);

    // Shows this directory's receivers; null shows none.
    void setDirectory(const ReceiverDirectory *directory);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    const ReceiverDirectory *m_directory = nullptr;
    int m_rows = 0;
};

#include "windows/remote/receivermodel.h"

#include "engine/remote/receiverdirectory.h"
#include "windows/remote/remotetexts.h"

#include <QBrush>
#include <QLocale>
#include <QPalette>

ReceiverModel::ReceiverModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

void ReceiverModel::setDirectory(const ReceiverDirectory *directory)
{
    if (m_directory != nullptr) {
        disconnect(m_directory, nullptr, this, nullptr);
    }
    beginResetModel();
    m_directory = directory;
    m_rows = directory != nullptr ? static_cast<int>(directory->receivers().size()) : 0;
    endResetModel();
    if (directory == nullptr) {
        return;
    }
    connect(directory, &ReceiverDirectory::added, this, [this](int index) {
        beginInsertRows({}, index, index);
        m_rows = index + 1;
        endInsertRows();
    });
    connect(directory, &ReceiverDirectory::changed, this, [this](int row) {
        Q_EMIT dataChanged(this->index(row, 0), this->index(row, ColumnCount - 1));
    });
}

int ReceiverModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ReceiverModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReceiverModel::data(const QModelIndex &index, int role) const
{
    if (m_directory == nullptr || !index.isValid() || index.row() >= m_rows) {
        return {};
    }
    const RemoteReceiver &receiver =
        m_directory->receivers()[static_cast<std::size_t>(index.row())];
    if (role == Qt::ForegroundRole && index.column() == State && !receiver.online) {
        return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const QString none = QStringLiteral("–");
    switch (index.column()) {
    case Name:
        return receiver.name;
    case State:
        return RemoteTexts::state(receiver);
    case LastSeen:
        return RemoteTexts::lastSeen(receiver);
    case Model:
        return receiver.model.isEmpty() ? none : receiver.model;
    case Rate:
        return receiver.sweepsPerSecond
                   ? tr("%1/s").arg(QLocale().toString(*receiver.sweepsPerSecond, 'f', 2))
                   : none;
    case Prefix:
        return receiver.prefix;
    default:
        return {};
    }
}

QVariant ReceiverModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case Name:
        return tr("Receiver");
    case State:
        return tr("State");
    case LastSeen:
        return tr("Last seen");
    case Model:
        return tr("Model");
    case Rate:
        return tr("Rate");
    case Prefix:
        return tr("Topics");
    default:
        return {};
    }
}

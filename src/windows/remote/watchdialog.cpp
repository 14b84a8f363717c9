#include "windows/remote/watchdialog.h"

#include "engine/remote/brokerconnection.h"
#include "engine/remote/remotebroker.h"
#include "windows/remote/receivermodel.h"
#include "windows/remote/remotetexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

namespace {
constexpr QSize kStartSize(720, 420);

QLineEdit *lineEdit(const QString &name, const QString &placeholder)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    return edit;
}
} // namespace

WatchDialog::WatchDialog(BrokerFor brokerFor, QWidget *parent)
    : QDialog(parent)
    , m_brokerFor(std::move(brokerFor))
    , m_url(lineEdit(QStringLiteral("brokerUrl"), tr("mqtt://HOST[:PORT] or mqtts://HOST[:PORT]")))
    , m_ca(lineEdit(QStringLiteral("brokerCa"), tr("mqtts only; default: the system's")))
    , m_user(lineEdit(QStringLiteral("brokerUser"), tr("none")))
    , m_passwordFile(
          lineEdit(QStringLiteral("brokerPasswordFile"), tr("the password is its first line")))
    , m_connect(new QPushButton(tr("&Connect")))
    , m_status(new QLabel)
    , m_model(new ReceiverModel(this))
    , m_receivers(new QTableView)
    , m_watch(new QPushButton(tr("&Watch")))
{
    setObjectName(QStringLiteral("watchDialog"));
    setWindowTitle(tr("Watch a remote scanner"));
    m_connect->setObjectName(QStringLiteral("connectBroker"));
    m_connect->setDefault(true);
    m_status->setObjectName(QStringLiteral("brokerStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_receivers->setObjectName(QStringLiteral("receivers"));
    m_receivers->setModel(m_model);
    m_receivers->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_receivers->setSelectionMode(QAbstractItemView::SingleSelection);
    m_receivers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_receivers->verticalHeader()->hide();
    m_receivers->horizontalHeader()->setStretchLastSection(true);
    m_receivers->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_watch->setObjectName(QStringLiteral("watchReceiver"));
    m_watch->setEnabled(false);

    auto *form = new QFormLayout;
    auto *urlRow = new QHBoxLayout;
    urlRow->addWidget(m_url, 1);
    urlRow->addWidget(m_connect);
    auto *urlLabel = new QLabel(tr("&Broker:"));
    urlLabel->setBuddy(m_url);
    form->addRow(urlLabel, urlRow);
    form->addRow(tr("CA cert&ificates:"), m_ca);
    form->addRow(tr("&User:"), m_user);
    form->addRow(tr("&Password file:"), m_passwordFile);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(m_watch, QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_status);
    layout->addWidget(m_receivers, 1);
    layout->addWidget(buttons);
    resize(kStartSize);

    connect(m_connect, &QPushButton::clicked, this, &WatchDialog::connectBroker);
    connect(m_url, &QLineEdit::returnPressed, this, &WatchDialog::connectBroker);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_watch, &QPushButton::clicked, this, &WatchDialog::watchChosen);
    connect(m_receivers, &QTableView::doubleClicked, this, &WatchDialog::watchChosen);
    connect(m_receivers->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_watch->setEnabled(m_receivers->selectionModel()->hasSelection()); });
}

WatchDialog::~WatchDialog() = default;

void WatchDialog::connectTo(const QString &url)
{
    m_url->setText(url);
    connectBroker();
}

void WatchDialog::connectBroker()
{
    BrokerSettings settings;
    const QString url = m_url->text().trimmed();
    const std::optional<MqttUrl> broker = MqttUrl::parse(url);
    if (!broker) {
        refuse(tr("Not a broker URL: %1 (expected mqtt://HOST[:PORT] or mqtts://HOST[:PORT])")
                   .arg(url));
        return;
    }
    settings.broker = *broker;
    settings.caFile = m_ca->text().trimmed();
    if (!settings.caFile.isEmpty() && !broker->tls) {
        refuse(tr("CA certificates need an mqtts:// broker URL"));
        return;
    }
    settings.user = m_user->text();
    if (const QString path = m_passwordFile->text().trimmed(); !path.isEmpty()) {
        QString error;
        const std::optional<QByteArray> password = brokersettings::readPasswordFile(path, error);
        if (!password) {
            refuse(error);
            return;
        }
        settings.password = *password;
    }
    m_broker = m_brokerFor(settings);
    m_model->setDirectory(&m_broker->directory());
    connect(&m_broker->connection(), &BrokerConnection::stateChanged, this,
            &WatchDialog::showConnection, Qt::UniqueConnection);
    showConnection();
}

void WatchDialog::showConnection()
{
    if (m_broker) {
        m_status->setText(RemoteTexts::connection(m_broker->connection()));
    }
}

void WatchDialog::refuse(const QString &message)
{
    m_status->setText(message);
}

void WatchDialog::watchChosen()
{
    const QModelIndexList rows = m_receivers->selectionModel()->selectedRows(ReceiverModel::Name);
    if (!rows.isEmpty()) {
        const QModelIndex name = rows.first();
        Q_EMIT watchRequested(name.data().toString(),
                              name.siblingAtColumn(ReceiverModel::Prefix).data().toString());
    }
}

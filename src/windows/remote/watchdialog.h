#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class ReceiverModel;
class RemoteBroker;
struct BrokerSettings;

// File → Watch a remote scanner…: a broker's URL with the TLS and login settings kvt318-scan
// takes, Connect, and the list of the receivers the broker knows; Watch (or a double click)
// asks for the chosen receiver's window.
class WatchDialog : public QDialog
{
    Q_OBJECT

public:
    // Gives the broker for the settings, shared with the windows already watching it.
    using BrokerFor = std::function<std::shared_ptr<RemoteBroker>(const BrokerSettings &)>;

    explicit WatchDialog(BrokerFor brokerFor, QWidget *parent = nullptr);
    ~WatchDialog() override;
    WatchDialog(const WatchDialog &) = delete;
    WatchDialog &operator=(const WatchDialog &) = delete;

    // Fills in the URL and connects.
    void connectTo(const QString &url);
    [[nodiscard]] const std::shared_ptr<RemoteBroker> &broker() const { return m_broker; }

Q_SIGNALS:
    // The receiver as the list names it, and its topics' prefix.
    void watchRequested(const QString &receiver, const QString &prefix);

private:
    void connectBroker();
    void showConnection();
    void watchChosen();
    void refuse(const QString &message);

    BrokerFor m_brokerFor;
    std::shared_ptr<RemoteBroker> m_broker;
    QLineEdit *m_url = nullptr;
    QLineEdit *m_ca = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_passwordFile = nullptr;
    QPushButton *m_connect = nullptr;
    QLabel *m_status = nullptr;
    ReceiverModel *m_model = nullptr;
    QTableView *m_receivers = nullptr;
    QPushButton *m_watch = nullptr;
};

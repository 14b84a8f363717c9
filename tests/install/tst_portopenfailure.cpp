#include "port/portopenfailure.h"

#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr uid_t kNobody = 65534;

// The reason a user who is not root would get for a node, with the error kind given. Root
// passes every permission check, so as root the check runs in a child that drops to nobody.
QString reasonAsUser(const QString &path, QSerialPort::SerialPortError error)
{
    if (geteuid() != 0) {
        return classifyPortOpenFailure(path, error, QString()).reason;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        return QStringLiteral("<no pipe>");
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const QByteArray reason =
            (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0)
                ? classifyPortOpenFailure(path, error, QString()).reason.toUtf8()
                : QByteArray("<still root>");
        _exit(write(fds[1], reason.constData(), size_t(reason.size())) == reason.size() ? 0 : 1);
    }
    close(fds[1]);
    QFile reply;
    QByteArray bytes;
    if (reply.open(fds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        bytes = reply.readAll();
    }
    int status = 0;
    waitpid(child, &status, 0);
    return QString::fromUtf8(bytes);
}
} // namespace

class TestPortOpenFailure : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classify_data();
    void classify();
    void unreadableNode();
};

void TestPortOpenFailure::classify_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<PortNodeAccess>("node");
    QTest::addColumn<PortOpenFailureKind>("kind");
    QTest::addColumn<QString>("reason");

    const PortNodeAccess missing;
    const PortNodeAccess denied{true, false, QStringLiteral("uucp")};
    const PortNodeAccess usable{true, true, QStringLiteral("dialout")};
    QTest::newRow("unplugged") << "/dev/ttyUSB0" << QSerialPort::DeviceNotFoundError << missing
                               << PortOpenFailureKind::NoSuchDevice
                               << "/dev/ttyUSB0: no such device (unplugged, or a wrong port name)";
    QTest::newRow("node gone, odd error")
        << "ttyACM1" << QSerialPort::ResourceError << missing << PortOpenFailureKind::NoSuchDevice
        << "/dev/ttyACM1: no such device (unplugged, or a wrong port name)";
    QTest::newRow("not in the owning group")
        << "/dev/ttyS0" << QSerialPort::PermissionError << denied
        << PortOpenFailureKind::PermissionDenied
        << "/dev/ttyS0: permission denied: your user is not in the group 'uucp' that owns the "
           "device; run 'sudo usermod -aG uucp $USER', then log out and in again";
    QTest::newRow("owner unknown")
        << "/dev/ttyS0" << QSerialPort::PermissionError << PortNodeAccess{true, false, QString()}
        << PortOpenFailureKind::PermissionDenied
        << "/dev/ttyS0: permission denied: your user is not in the group 'dialout' that owns the "
           "device; run 'sudo usermod -aG dialout $USER', then log out and in again";
    QTest::newRow("locked by another program")
        << "/dev/ttyUSB0" << QSerialPort::PermissionError << usable << PortOpenFailureKind::InUse
        << "/dev/ttyUSB0: in use by another program";
    QTest::newRow("other fault") << "/dev/ttyUSB0" << QSerialPort::UnsupportedOperationError
                                 << usable << PortOpenFailureKind::Other
                                 << "/dev/ttyUSB0: cannot be opened: Inappropriate ioctl";
}

void TestPortOpenFailure::classify()
{
    QFETCH(QString, port);
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(PortNodeAccess, node);
    QFETCH(PortOpenFailureKind, kind);
    QFETCH(QString, reason);

    const PortOpenFailure failure =
        classifyPortOpenFailure(port, error, node, QStringLiteral("Inappropriate ioctl"));
    QCOMPARE(failure.kind, kind);
    QCOMPARE(failure.reason, reason);
}

void TestPortOpenFailure::unreadableNode()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ExeOther));
    const QString path = dir.filePath(QStringLiteral("ttyFAKE0"));
    QFile node(path);
    QVERIFY(node.open(QIODevice::WriteOnly));
    node.close();
    // A serial device as udev leaves it: root:dialout, 0660. Only root may hand a file to
    // dialout; otherwise it keeps the user's own group, which nobody is not in either.
    const group *dialout = getgrnam("dialout");
    const bool asDialout = geteuid() == 0 && dialout != nullptr;
    if (asDialout) {
        QCOMPARE(chown(path.toLocal8Bit().constData(), 0, dialout->gr_gid), 0);
    }
    QCOMPARE(chmod(path.toLocal8Bit().constData(), asDialout ? 0660 : 0000), 0);

    const QString reason = reasonAsUser(path, QSerialPort::PermissionError);
    QVERIFY2(reason.startsWith(path + QStringLiteral(": permission denied: ")), qPrintable(reason));
    if (asDialout) {
        QVERIFY2(reason.contains(QStringLiteral("sudo usermod -aG dialout $USER")),
                 qPrintable(reason));
    }
}

QTEST_GUILESS_MAIN(TestPortOpenFailure)
#include "tst_portopenfailure.moc"

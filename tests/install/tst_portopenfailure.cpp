#include "engine/port/portopenfailure.h"

#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr uid_t kNobody = 65534;

// Whether a user other than root may read and write the node. Root passes every permission
// check, so as root a child that drops to nobody looks.
bool readWritableAsUser(const QString &path)
{
    if (geteuid() != 0) {
        return inspectPortNode(path).readWritable;
    }
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped =
            setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
        _exit(dropped && !inspectPortNode(path).readWritable ? 0 : 1);
    }
    int status = 0;
    return waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
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
    const PortNodeAccess usable{true, true, QStringLiteral("dialout")};
    QTest::newRow("unplugged") << "/dev/ttyUSB0" << QSerialPort::DeviceNotFoundError << missing
                               << PortOpenFailureKind::NoSuchDevice
                               << "/dev/ttyUSB0: no such device (unplugged, or a wrong port name)";
    QTest::newRow("node gone, odd error")
        << "ttyACM1" << QSerialPort::ResourceError << missing << PortOpenFailureKind::NoSuchDevice
        << "/dev/ttyACM1: no such device (unplugged, or a wrong port name)";
    QTest::newRow("group may not open it either")
        << "/dev/ttyS0" << QSerialPort::PermissionError
        << PortNodeAccess{true, false, "root", false} << PortOpenFailureKind::PermissionDenied
        << "/dev/ttyS0: permission denied: not even its group 'root' may open the device; have it "
           "given to the group 'dialout' (a udev rule), then join that group";
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
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    // A serial device as some systems leave it: root:uucp, 0660 (a group other than the usual
    // dialout, so that the reason shows it was read from the node). Only root may hand a file
    // to uucp; otherwise it keeps the user's own group, which nobody is not in either.
    const group *uucp = getgrnam("uucp");
    const bool asUucp = geteuid() == 0 && uucp != nullptr;
    if (asUucp) {
        QCOMPARE(chown(path.toLocal8Bit().constData(), 0, uucp->gr_gid), 0);
    }
    QCOMPARE(chmod(path.toLocal8Bit().constData(), asUucp ? 0660 : 0000), 0);

    PortNodeAccess node = inspectPortNode(path);
    node.readWritable = readWritableAsUser(path);
    const PortOpenFailure failure =
        classifyPortOpenFailure(path, QSerialPort::PermissionError, node, QString());
    QCOMPARE(failure.kind, PortOpenFailureKind::PermissionDenied);
    if (asUucp) {
        QCOMPARE(failure.reason,
                 path + ": permission denied: your user is not in the group 'uucp' that owns "
                        "the device; run 'sudo usermod -aG uucp $USER', then log out and in "
                        "again");
    }
}

QTEST_GUILESS_MAIN(TestPortOpenFailure)
#include "tst_portopenfailure.moc"

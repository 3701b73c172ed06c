// Every file the program writes, on a full disk: the write fails, the message
// gives the system's reason and names the file, and nothing is left behind,
// neither a file cut short nor a temporary one. The disk is a small tmpfs,
// filled up, in a private mount namespace of this test process (root only).

#include "../processing/DataProcRig.h"
#include "FullFolder.h"
#include "MountNamespace.h"
#include "PassSet.h"
#include "TextTable.h"
#include "USetup.h"

#include <QAction>
#include <QApplication>

#include <cerrno>

namespace {

bool PrivateMounts = false;

template <class F>
QString ErrorOf(F&& f)
{
    try {
        f();
    } catch (const EMerilError& e) {
        return e.Text();
    }
    return {};
}

using TWrite = std::function<QString(const QString& path)>;   // the message

} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT

private slots:
    // With one page left the write breaks off part-way, where QSaveFile
    // reported "Unknown error". A setup file fits in a page: no room then.
    void writersGiveTheReasonAndLeaveNothing_data()
    {
        QTest::addColumn<int>("room");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("named");   // the file the message names, none when the caller names it
        QTest::addColumn<TWrite>("write");
        const std::vector<int32_t> sums(1024, 5);
        const auto passes = [sums](const QByteArray& setup) {
            return TWrite([sums, setup](const QString& path) {
                TPassRecorder recorder;
                recorder.Begin(path, setup);
                return ErrorOf([&] { recorder.Write(NmrHeader(), sums); });
            });
        };
        QTest::newRow("setup file") << 0 << "a.cfg" << QString() << TWrite([](const QString& path) {
            QString error;
            return SaveSetupFile(path, SetupRecord{}, &error) ? QString() : error;
        });
        QTest::newRow("spectrum") << 4096 << "run1.dcw" << "run1.dcw"
                                  << TWrite([sums](const QString& path) { return ErrorOf([&] { WriteSpectrumFile(path, NmrHeader(), sums); }); });
        QTest::newRow("pass") << 4096 << "run1.passes" << "run1.passes/pass-001.dcw" << passes({});
        QTest::newRow("setup of the passes") << 0 << "run1.passes" << "run1.passes/setup.cfg"
                                             << passes(QByteArray(SetupRecord::Size, '\1'));
        QTest::newRow("text export") << 4096 << "run1.txt" << "run1.txt" << TWrite([](const QString& path) {
            const std::vector<double> x(1024, 1.0), y(1024, 2.0);
            return ErrorOf([&] { WriteTextTable(path, x, y); });
        });
        QTest::newRow("picture") << 4096 << "line.png" << "line.png" << TWrite([](const QString& path) {
            TDataProcRig rig;
            rig.Load(rig.Write(QStringLiteral("line.dcw"), NmrHeader(), TriangleDerivative()));
            rig.Op.ExpectFileDialog(path);
            rig.Op.ExpectMessage(mbOK);
            rig.W.MSavePicture->trigger();
            return rig.Op.Problems().isEmpty() ? rig.Op.Messages.value(0) : rig.Op.Problems();
        });
    }
    void writersGiveTheReasonAndLeaveNothing()
    {
        QFETCH(int, room);
        QFETCH(QString, name);
        QFETCH(QString, named);
        QFETCH(TWrite, write);
        if (!PrivateMounts)
            QSKIP("needs root for a private mount namespace");
        const TFullFolder full(room);
        QVERIFY(full.Mounted);
        const QString message = write(full.Path(name));
        QVERIFY2(message.contains(SystemErrorText(ENOSPC)), qPrintable(message));
        QVERIFY2(named.isEmpty() || message.contains(full.Path(named)), qPrintable(message));
        QCOMPARE(full.FilesLeft(), QStringList());
    }
};

int main(int argc, char** argv)
{
    PrivateMounts = EnterPrivateMountNamespace();
    QApplication app(argc, argv);
    TestFullDisk test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_FullDisk.moc"

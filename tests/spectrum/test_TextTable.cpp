// The text export: the bytes of the table, the export name, and a failed
// export that leaves the older file intact.
#include "../files/FileSizeLimit.h"
#include "Errors.h"
#include "TextTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestTextTable : public QObject {
    Q_OBJECT
private slots:
    void tableBytes();
    void oneLinePerPointAndAnEmptyLast();
    void exportName_data();
    void exportName();
    void exportReplacesAndFailureKeepsTheOldFile();
    void tooManyPointsRefused();
};

void TestTextTable::tableBytes()
{
    const std::vector<double> x{-50, 0.125, 12345.678}, y{3, -1234567.891, 0};
    QCOMPARE(TextTableBytes(x, y), QByteArray("  -50.00                  3.00\r\n"
                                              "    0.13           -1234567.89\r\n"
                                              "12345.68                  0.00\r\n"
                                              "\r\n"));
    // A value wider than its field widens it.
    const std::vector<double> wide{-123456.5};
    QCOMPARE(TextTableBytes(wide, wide), QByteArray("-123456.50            -123456.50\r\n\r\n"));
    // No points: the empty last line only.
    QCOMPARE(TextTableBytes({}, {}), QByteArray("\r\n"));
}

void TestTextTable::oneLinePerPointAndAnEmptyLast()
{
    std::vector<double> x(1024), y(1024, 1.0);
    for (int i = 0; i < 1024; ++i)
        x[size_t(i)] = -50 + i * 100.0 / 1023;
    const QByteArray bytes = TextTableBytes(x, y);
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 1026);  // 1025 lines, each ended, and nothing after the last end
    QCOMPARE(lines[1024], QByteArray("\r"));
    QVERIFY(lines[1025].isEmpty());
    QCOMPARE(lines[1023], QByteArray("   50.00                  1.00\r"));
}

void TestTextTable::exportName_data()
{
    QTest::addColumn<QString>("spectrum");
    QTest::addColumn<QString>("name");
    QTest::newRow("ordinary") << "/data/sample.dcw" << "sample.txt";
    QTest::newRow("first dot kept") << "/data/run.2.dcw" << "run.txt";
    QTest::newRow("no dot") << "/data/noext" << "txt";
    QTest::newRow("dot in the folder only") << "/data.d/plain" << "txt";
    QTest::newRow("upper case") << "SAMPLE.DCW" << "SAMPLE.txt";
}

void TestTextTable::exportName()
{
    QFETCH(QString, spectrum);
    QFETCH(QString, name);
    QCOMPARE(ExportFileName(spectrum), name);
    QCOMPARE(ExportPath("/out", spectrum), "/out/" + name);
}

void TestTextTable::exportReplacesAndFailureKeepsTheOldFile()
{
    QTemporaryDir dir;
    const QString path = ExportPath(dir.path(), "/acq/sample.dcw");
    std::vector<double> x(2000, 1.0), y(2000, 2.0);
    WriteTextTable(path, std::vector<double>{1}, std::vector<double>{2});
    WriteTextTable(path, x, y);  // replaced without a question
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    file.close();
    QCOMPARE(written, TextTableBytes(x, y));

    // A write that breaks off part-way: the earlier export stays whole.
    {
        const TFileSizeLimit limit(4096);
        QVERIFY_THROWS_EXCEPTION(EFileError, WriteTextTable(path, std::vector<double>(5000, 3.0), std::vector<double>(5000, 4.0)));
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), written);
    file.close();
    // A folder that does not exist: the error names the file.
    try {
        WriteTextTable(dir.path() + "/missing/sample.txt", x, y);
        QFAIL("no error for a missing folder");
    } catch (const EFileError& e) {
        QVERIFY(e.Text().contains("sample.txt"));
    }
}

void TestTextTable::tooManyPointsRefused()
{
    QTemporaryDir dir;
    const std::vector<double> many(65536, 0.0);
    QVERIFY_THROWS_EXCEPTION(EMerilError, WriteTextTable(dir.filePath("big.txt"), many, many));
    QVERIFY(!QFile::exists(dir.filePath("big.txt")));
}

QTEST_GUILESS_MAIN(TestTextTable)
#include "test_TextTable.moc"

#pragma once
// The published spectra of tests/data (sources and licences in its README),
// and the text twins that their instruments' software exported beside them.

#include <QDir>
#include <QFile>
#include <QString>
#include <vector>

inline QString PublishedSpectrum(const QString& name)
{
    return QDir(QStringLiteral(MERIL_TESTDATA_DIR)).filePath(name);
}

inline QByteArray PublishedBytes(const QString& name)
{
    QFile f(PublishedSpectrum(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The last two numbers of every line that ends in numbers: x and y of a text
// twin (an index column before them is skipped), read without the program.
struct TTwin {
    std::vector<double> X, Y;
};
inline TTwin ReadTwin(const QString& name)
{
    TTwin twin;
    for (const QByteArray& line : PublishedBytes(name).split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        bool xOk = false, yOk = false;
        const double x = fields.size() >= 2 ? fields[fields.size() - 2].toDouble(&xOk) : 0;
        const double y = fields.size() >= 2 ? fields.last().toDouble(&yOk) : 0;
        if (xOk && yOk) {
            twin.X.push_back(x);
            twin.Y.push_back(y);
        }
    }
    return twin;
}

// The sound player: a synchronous sound returns after its length (or at once
// where nothing can be played), a missing file plays nothing, a loop stops on
// StopAll. Machines without sound output only bound the waits.

#include "SoundPlayer.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A mono 16-bit PCM .wav of `ms` milliseconds of a 440 Hz tone.
QString WriteTone(const QTemporaryDir& dir, int ms)
{
    const int rate = 8000, samples = rate * ms / 1000;
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < samples; ++i)
        out << qint16(8000 * std::sin(2 * M_PI * 440 * i / rate));
    QByteArray wav;
    QDataStream w(&wav, QIODevice::WriteOnly);
    w.setByteOrder(QDataStream::LittleEndian);
    w.writeRawData("RIFF", 4);
    w << quint32(36 + pcm.size());
    w.writeRawData("WAVEfmt ", 8);
    w << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2) << quint16(16);
    w.writeRawData("data", 4);
    w << quint32(pcm.size());
    wav += pcm;
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(wav);
    return path;
}

} // namespace

class TestSoundPlayer : public QObject {
    Q_OBJECT

private slots:
    void synchronousSoundIsBoundedByItsLength()
    {
        QTemporaryDir dir;
        const QString tone = WriteTone(dir, 300);
        QElapsedTimer t;
        t.start();
        SoundPlayer().Play(tone, TSoundMode::Sync);
        QVERIFY(t.elapsed() < 300 + 1500 + 500);   // at once where there is no sound output
        t.restart();
        SoundPlayer().Play(dir.filePath(QStringLiteral("missing.wav")), TSoundMode::Sync);
        SoundPlayer().Play(QString(), TSoundMode::Sync);
        QVERIFY(t.elapsed() < 100);
    }

    void loopStopsOnStopAll()
    {
        QTemporaryDir dir;
        const QString tone = WriteTone(dir, 100);
        SoundPlayer().Play(tone, TSoundMode::Loop);
        if (QMediaDevices::audioOutputs().isEmpty()) {
            QVERIFY(!SoundPlayer().Playing());   // nothing to play it on: nothing left running
            QSKIP("no sound output on this machine");
        }
        QTRY_VERIFY(SoundPlayer().Playing());
        SoundPlayer().StopAll();
        QVERIFY(!SoundPlayer().Playing());
        // A sound played once ends by itself.
        SoundPlayer().Play(tone, TSoundMode::Async);
        QTRY_VERIFY(SoundPlayer().Playing());
        QTRY_VERIFY(!SoundPlayer().Playing());
    }
};

QTEST_MAIN(TestSoundPlayer)
#include "test_SoundPlayer.moc"

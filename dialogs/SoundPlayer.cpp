#include "SoundPlayer.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Duration of a PCM .wav file from its header, for the synchronous wait limit.
int WavDurationMs(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = f.read(64);
    if (head.size() < 44 || !head.startsWith("RIFF"))
        return 0;
    const auto u32 = [&](int at) {
        return quint32(quint8(head[at])) | quint32(quint8(head[at + 1])) << 8 |
               quint32(quint8(head[at + 2])) << 16 | quint32(quint8(head[at + 3])) << 24;
    };
    const quint32 byteRate = u32(28);
    if (byteRate == 0)
        return 0;
    return int(qint64(f.size() - 44) * 1000 / byteRate);
}

class TQtSoundPlayer final : public TSoundPlayer {
public:
    void Play(const QString& fileName, TSoundMode mode) override
    {
        // Nothing to play, or nothing to play it on: return at once rather
        // than hold the program for a sound nobody hears.
        if (fileName.isEmpty() || !QFileInfo(fileName).isFile() || QMediaDevices::audioOutputs().isEmpty())
            return;
        auto effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl::fromLocalFile(fileName));
        effect->setLoopCount(mode == TSoundMode::Loop ? QSoundEffect::Infinite : 1);
        QSoundEffect* raw = effect.get();
        FEffects.push_back(std::move(effect));
        Prune();
        if (mode != TSoundMode::Sync) {
            PlayWhenLoaded(raw);
            return;
        }
        // Wait for the end of the sound, user input excluded; events of the
        // serial link that arrive meanwhile are held back by the link itself.
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(raw, &QSoundEffect::playingChanged, &loop, [&] {
            if (!raw->isPlaying() && raw->status() != QSoundEffect::Loading)
                loop.quit();
        });
        QObject::connect(raw, &QSoundEffect::statusChanged, &loop, [&] {
            if (raw->status() == QSoundEffect::Error)
                loop.quit();
        });
        limit.start(WavDurationMs(fileName) + 1500);
        PlayWhenLoaded(raw);
        if (raw->status() != QSoundEffect::Error)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

    void StopAll() override
    {
        for (auto& e : FEffects)
            e->stop();
        FEffects.clear();
    }

    bool Playing() const override
    {
        return std::any_of(FEffects.begin(), FEffects.end(), [](const std::unique_ptr<QSoundEffect>& e) {
            return e->isPlaying() || e->status() == QSoundEffect::Loading;
        });
    }

private:
    static void PlayWhenLoaded(QSoundEffect* e)
    {
        if (e->status() == QSoundEffect::Ready) {
            e->play();
            return;
        }
        QObject::connect(e, &QSoundEffect::statusChanged, e, [e] {
            if (e->status() == QSoundEffect::Ready)
                e->play();
        });
    }
    void Prune()
    {
        std::erase_if(FEffects, [](const std::unique_ptr<QSoundEffect>& e) {
            return e->status() == QSoundEffect::Error ||
                   (e->status() == QSoundEffect::Ready && !e->isPlaying() && e->loopsRemaining() == 0);
        });
    }
    std::vector<std::unique_ptr<QSoundEffect>> FEffects;
};

TSoundPlayer* gPlayer = nullptr;

} // namespace

TSoundPlayer& SoundPlayer()
{
    static TQtSoundPlayer real;
    return gPlayer ? *gPlayer : real;
}

void SetSoundPlayer(TSoundPlayer* player)
{
    gPlayer = player;
}

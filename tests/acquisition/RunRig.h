#pragma once
// The run without a window: a spectrometer over the scripted link (replies
// fed by the test) or over the in-process simulator, as the main window
// would drive it.

#include "ScriptLink.h"
#include "SimLink.h"
#include "Spectrometer.h"
#include "Usr.h"
#include "WaitUntil.h"

#include <memory>
#include <optional>

// Connected over the scripted link: every reply comes from Feed.
struct TScriptedRig {
    std::unique_ptr<TScriptLink> Link = std::make_unique<TScriptLink>();
    TSpectrometer S{*Link};
    TRun& Run = S.Run();

    TScriptedRig()
    {
        Link->Open();
        Feed("X07FF07FF\r");
        Link->ClearSent();
    }
    // Lines as the instrument sends them; they arrive through the event loop.
    void Feed(const QByteArray& lines)
    {
        Link->Push(lines);
        if (lines.contains('\r'))
            WaitUntil([this] { return Link->InputCount() == 0 || !Link->Active(); }, 2000);
    }
    QByteArray TakeSent()
    {
        const QByteArray sent = Link->Sent();
        Link->ClearSent();
        return sent;
    }
};

// Connected to the in-process simulator, unpaced, with a setup applied as
// the main window applies it when the field source is reported.
struct TSimRig {
    std::unique_ptr<TSimLink> Link = std::make_unique<TSimLink>();
    TSpectrometer S{*Link};
    TRun& Run = S.Run();

    explicit TSimRig(const TInstrumentConfig& config, const SetupRecord& setup)
    {
        Link->Instrument().Configure(config);
        Link->SetSpeed(0);
        Link->Open();
        S.Commands().ProbeDevice();
        WaitUntil([this] { return S.Connected(); });
        S.Commands().ConfirmConnection();
        WaitUntil([this, &config] { return S.FieldSource() == config.FieldSource; });
        S.Setup().SetStored(setup);
        S.Setup().Apply({true, true, true, true});
    }
    // Starts a run and waits for its end; how it ended, or none on time-out.
    std::optional<TRunEnd> RunToEnd(const TRunOptions& options, int ms = 20000)
    {
        std::optional<TRunEnd> end;
        const QMetaObject::Connection c =
            QObject::connect(&Run, &TRun::RunEnded, [&](TRunEnd how) { end = how; });
        Run.Start(options);
        WaitUntil([&] { return end.has_value(); }, ms);
        QObject::disconnect(c);
        return end;
    }
};

#pragma once
// TGLCadencer: the frame clock. Advance() measures the time since the last step and raises
// OnProgress with it (at most MaxDeltaTime), after letting the scene's nodes progress.
// In cmApplicationIdle mode the cadencer is the application's idle handler: a zero-interval
// QTimer steps it whenever no event is waiting, never faster than the display refreshes.
// cmManual leaves stepping to whoever calls Advance (tests, a step before a modal message).

#include "scene/GLComponents.h"

#include <QString>
#include <functional>

class TGLScene;

enum TGLCadencerMode { cmManual, cmASAP, cmApplicationIdle };
enum TGLCadencerTimeReference { cmRTC, cmPerformanceCounter, cmExternal };

class TGLCadencer : private FreeListener {
public:
    using ProgressEvent = std::function<void(TGLCadencer *sender, double deltaTime, double newTime)>;

    TGLCadencer();
    ~TGLCadencer();
    TGLCadencer(const TGLCadencer &) = delete;
    TGLCadencer &operator=(const TGLCadencer &) = delete;

    TGLScene *Scene() const { return scene_; }
    void SetScene(TGLScene *scene);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TGLCadencerMode Mode() const { return mode_; }
    void SetMode(TGLCadencerMode mode);
    TGLCadencerTimeReference TimeReference() const { return timeReference_; }
    // Switching the raw clock keeps the cadencer's clock where it is.
    void SetTimeReference(TGLCadencerTimeReference reference);
    double TimeMultiplier = 1.0;
    double MaxDeltaTime = 0;
    double MinDeltaTime = 0;
    double FixedDeltaTime = 0;
    int SleepLength = -1;
    ProgressEvent OnProgress;

    // The raw time of cmExternal, in seconds, set by whoever drives the clock.
    double ExternalTime() const { return externalTime_; }
    void SetExternalTime(double seconds) { externalTime_ = seconds; }

    void Advance();
    // (raw time - origin time) x TimeMultiplier, also kept as CurrentTime.
    double ClockTime();
    double CurrentTime() const { return currentTime_; }
    double LastTime() const { return lastTime_; }
    double RawTime() const;
    bool IsBusy() const { return progressing_ != 0; }

    // While a scene description is loaded the trigger is not hooked up; EndLoading does it.
    void BeginLoading() { loading_ = true; }
    void EndLoading();

    // Errors from an idle step: reported here (default: a warning on stderr); the idle loop then
    // waits for the next event before it steps again.
    static std::function<void(const QString &message)> IdleErrorHandler;
    // Whether this cadencer is the application's idle handler now.
    bool IsHookedToIdle() const;

private:
    void ObjectFreed(FreeNotifier *object) override;
    void UpdateHookup();

    TGLScene *scene_ = nullptr;
    bool enabled_ = true;
    TGLCadencerMode mode_ = cmASAP;
    TGLCadencerTimeReference timeReference_ = cmPerformanceCounter;
    double externalTime_ = 0;
    double originTime_ = 0;
    double lastTime_ = 0;
    double downTime_ = 0;
    double currentTime_ = 0;
    int progressing_ = 0;
    bool loading_ = false;
};

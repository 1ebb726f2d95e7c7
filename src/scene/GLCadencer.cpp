#include "scene/GLCadencer.h"

#include "scene/GLScene.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

namespace {

// The application's one idle slot. A zero-interval timer fires whenever the event loop has
// nothing else to do; each firing steps the hooked cadencer once. Steps are spaced at least one
// display refresh apart, so the loop never runs faster than the screen where the buffer swap
// does not wait for the vertical refresh.
class IdleHook : public QObject {
public:
    static IdleHook *Instance(bool create) {
        static QPointer<IdleHook> instance;
        if (!instance && create && QCoreApplication::instance())
            instance = new IdleHook(QCoreApplication::instance());
        return instance.data();
    }

    void Hook(TGLCadencer *cadencer) {
        cadencer_ = cadencer;
        paused_ = false;
        timer_.start(0);
    }

    void Unhook(TGLCadencer *cadencer) {
        if (cadencer_ != cadencer) return;
        cadencer_ = nullptr;
        timer_.stop();
        Resume(false);
    }

    TGLCadencer *Current() const { return cadencer_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        // After a failed step the loop waits for the next event before stepping again.
        if (paused_ && event->type() != QEvent::Timer) Resume(true);
        return QObject::eventFilter(watched, event);
    }

private:
    explicit IdleHook(QObject *parent) : QObject(parent) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, this, [this]() { Step(); });
        clock_.start();
    }

    void Resume(bool restart) {
        if (!paused_) return;
        paused_ = false;
        QCoreApplication::instance()->removeEventFilter(this);
        if (restart && cadencer_) timer_.start(0);
    }

    static qint64 FramePeriodNs() {
        double rate = 60;
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            if (QScreen *screen = QGuiApplication::primaryScreen()) rate = screen->refreshRate();
        if (!(rate >= 20 && rate <= 500)) rate = 60;
        return qint64(1e9 / rate);
    }

    void Step() {
        if (!cadencer_) {
            timer_.stop();
            return;
        }
        const qint64 period = FramePeriodNs();
        const qint64 now = clock_.nsecsElapsed();
        if (lastStep_ >= 0 && now - lastStep_ < period) {
            timer_.start(int((period - (now - lastStep_)) / 1000000));
            return;
        }
        lastStep_ = now;
        timer_.start(0);
        try {
            cadencer_->Advance();
        } catch (const std::exception &e) {
            Fail(QString::fromUtf8(e.what()));
        } catch (...) {
            Fail(QStringLiteral("Unknown error"));
        }
    }

    void Fail(const QString &message) {
        timer_.stop();
        paused_ = true;
        QCoreApplication::instance()->installEventFilter(this);
        if (TGLCadencer::IdleErrorHandler) TGLCadencer::IdleErrorHandler(message);
        else std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastStep_ = -1;
    TGLCadencer *cadencer_ = nullptr;
    bool paused_ = false;
};

double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

std::function<void(const QString &)> TGLCadencer::IdleErrorHandler;

TGLCadencer::TGLCadencer() {
    originTime_ = RawTime();
    downTime_ = originTime_;
}

TGLCadencer::~TGLCadencer() {
    if (IdleHook *hook = IdleHook::Instance(false)) hook->Unhook(this);
    if (scene_) scene_->RemoveFreeListener(this);
}

double TGLCadencer::RawTime() const {
    switch (timeReference_) {
    case cmRTC: return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    case cmExternal: return externalTime_;
    case cmPerformanceCounter: break;
    }
    return SteadySeconds();
}

void TGLCadencer::SetTimeReference(TGLCadencerTimeReference reference) {
    if (timeReference_ == reference) return;
    const double oldRaw = RawTime();
    timeReference_ = reference;
    const double newRaw = RawTime();
    originTime_ += newRaw - oldRaw;
    downTime_ += newRaw - oldRaw;
}

double TGLCadencer::ClockTime() {
    currentTime_ = (RawTime() - originTime_) * TimeMultiplier;
    return currentTime_;
}

void TGLCadencer::ObjectFreed(FreeNotifier *object) {
    if (object == scene_) {
        scene_ = nullptr;
        UpdateHookup();
    }
}

void TGLCadencer::SetScene(TGLScene *scene) {
    if (scene_ == scene) return;
    if (scene_) scene_->RemoveFreeListener(this);
    scene_ = scene;
    if (scene_) scene_->AddFreeListener(this);
    UpdateHookup();
}

void TGLCadencer::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled) downTime_ = RawTime();
    else originTime_ = RawTime() + originTime_ - downTime_;
    UpdateHookup();
}

void TGLCadencer::SetMode(TGLCadencerMode mode) {
    if (mode_ == mode) return;
    mode_ = mode;
    UpdateHookup();
}

void TGLCadencer::EndLoading() {
    loading_ = false;
    UpdateHookup();
}

bool TGLCadencer::IsHookedToIdle() const {
    IdleHook *hook = IdleHook::Instance(false);
    return hook && hook->Current() == this;
}

void TGLCadencer::UpdateHookup() {
    if (loading_) return;
    const bool hook = mode_ != cmManual && scene_ && enabled_;
    if (hook) {
        if (IdleHook *h = IdleHook::Instance(true)) h->Hook(this);
    } else if (IdleHook *h = IdleHook::Instance(false)) {
        h->Unhook(this);
    }
}

void TGLCadencer::Advance() {
    if (progressing_ < 0) return;
    if (enabled_ && SleepLength >= 0) std::this_thread::sleep_for(std::chrono::milliseconds(SleepLength));
    ++progressing_;
    struct Leave {
        int &count;
        ~Leave() { --count; }
    } leave{progressing_};
    if (!enabled_) return;

    double newTime = ClockTime();
    double delta = newTime - lastTime_;
    if (delta < MinDeltaTime || delta < FixedDeltaTime) return;
    if (MaxDeltaTime > 0 && delta > MaxDeltaTime) {
        if (TimeMultiplier != 0) originTime_ += (delta - MaxDeltaTime) / TimeMultiplier;
        delta = MaxDeltaTime;
        newTime = lastTime_ + delta;
    }
    const double step = FixedDeltaTime > 0 ? FixedDeltaTime : delta;
    double remaining = delta;
    while (remaining >= step) {
        lastTime_ += step;
        if (scene_ && step != 0) {
            progressing_ = -progressing_;
            struct Restore {
                int &count;
                ~Restore() { count = -count; }
            } restore{progressing_};
            scene_->Progress(step, lastTime_);
        }
        if (OnProgress) OnProgress(this, step, newTime);
        if (step > 0) remaining -= step;
        else break;
    }
}

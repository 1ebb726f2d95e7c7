#include "app/PictureLoadQueue.h"

#include <QEventLoop>
#include <QPointer>
#include <QRunnable>

#include <atomic>
#include <mutex>

namespace {
bool SameSettings(const TextureMapSettings &a, const TextureMapSettings &b) {
    return a.useBestMapSize == b.useBestMapSize && a.mapSize == b.mapSize && a.filter == b.filter;
}
} // namespace

struct PictureLoadQueue::Job {
    QString path;
    TextureMapSettings settings;
    std::mutex mutex;
    std::unique_ptr<PreparedPicture> result;
    std::atomic<bool> done{false};
    QEventLoop *waiting = nullptr;  // the loop of Take, UI thread only
};

PictureLoadQueue::PictureLoadQueue(QObject *parent) : QObject(parent) {
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    pool_.setExpiryTimeout(30000);
}

PictureLoadQueue::~PictureLoadQueue() {
    announced_.clear();
    pool_.clear();
    pool_.waitForDone();
}

std::shared_ptr<PictureLoadQueue::Job> PictureLoadQueue::FindJob(const QString &path,
                                                                 const TextureMapSettings &settings) const {
    for (const auto &job : jobs_)
        if (job->path == path && SameSettings(job->settings, settings))
            return job;
    return nullptr;
}

std::shared_ptr<PictureLoadQueue::Job> PictureLoadQueue::StartJob(const QString &path,
                                                                  const TextureMapSettings &settings) {
    auto job = std::make_shared<Job>();
    job->path = path;
    job->settings = settings;
    jobs_.push_back(job);
    QPointer<PictureLoadQueue> self(this);
    pool_.start([job, self] {
        auto prepared = std::make_unique<PreparedPicture>(PreparePicture(job->path, job->settings));
        {
            std::lock_guard lock(job->mutex);
            job->result = std::move(prepared);
        }
        job->done = true;
        // Wake the waiting Take (if any) on the user-interface thread.
        if (self)
            QMetaObject::invokeMethod(self.data(), [job] {
                if (job->waiting)
                    job->waiting->quit();
            }, Qt::QueuedConnection);
    });
    return job;
}

void PictureLoadQueue::StartMoreJobs() {
    // Keep the workers busy, but never hold more prepared pictures than workers: a map can be
    // 16 MB, and a load may be stopped at any time.
    auto pending = [this] { return int(jobs_.size()); };
    while (!announced_.isEmpty() && pending() < pool_.maxThreadCount()) {
        const QString path = announced_.takeFirst();
        if (!FindJob(path, announcedSettings_))
            StartJob(path, announcedSettings_);
    }
}

void PictureLoadQueue::Prefetch(const QStringList &paths, const TextureMapSettings &settings) {
    // A load announces the pictures after the current one before it takes the current one, so
    // a job of the previous announcement may still be asked for; jobs in neither announcement,
    // or made with other settings, will not be.
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        const QString &path = (*it)->path;
        if ((!paths.contains(path) && !previouslyAnnounced_.contains(path)) ||
            !SameSettings((*it)->settings, settings))
            it = jobs_.erase(it);
        else
            ++it;
    }
    previouslyAnnounced_ = paths;
    announced_ = paths;
    announcedSettings_ = settings;
    for (const auto &job : jobs_)
        announced_.removeOne(job->path);
    StartMoreJobs();
}

std::unique_ptr<PreparedPicture> PictureLoadQueue::Take(const QString &path, const TextureMapSettings &settings) {
    std::shared_ptr<Job> job = FindJob(path, settings);
    if (!job) {
        announced_.removeOne(path);
        job = StartJob(path, settings);
    }
    if (!job->done) {
        QEventLoop loop;
        job->waiting = &loop;
        if (!job->done)
            loop.exec();
        job->waiting = nullptr;
    }
    for (auto it = jobs_.begin(); it != jobs_.end(); ++it)
        if (*it == job) {
            jobs_.erase(it);
            break;
        }
    std::unique_ptr<PreparedPicture> result;
    {
        std::lock_guard lock(job->mutex);
        result = std::move(job->result);
    }
    StartMoreJobs();
    return result;
}

void PictureLoadQueue::Clear() {
    announced_.clear();
    previouslyAnnounced_.clear();
    jobs_.clear();
}

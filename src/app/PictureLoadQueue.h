#pragma once
// Runs picture preparation off the user-interface thread. A load announces the pictures it
// will add (Prefetch), so the next ones are decoded while the current one is attached; Take
// hands out one prepared picture, running the event loop while it waits, so the view keeps
// drawing and Esc is seen. Pictures are taken, and so attached, in the order the load asks for
// them, whatever order the workers finish in.

#include "app/PicturePreparation.h"

#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <deque>
#include <memory>

class PictureLoadQueue : public QObject {
    Q_OBJECT
public:
    explicit PictureLoadQueue(QObject *parent = nullptr);
    ~PictureLoadQueue() override;

    // Pictures the current load will ask for next, in order. Replaces the earlier announcement;
    // started jobs for paths of this or of the previous announcement are kept (a load announces
    // the pictures that follow before it takes the current one).
    void Prefetch(const QStringList &paths, const TextureMapSettings &settings);
    // The prepared picture for path with these settings; prepares it now when no job has it.
    std::unique_ptr<PreparedPicture> Take(const QString &path, const TextureMapSettings &settings);
    // Drops every announced and finished job (running ones finish and are discarded).
    void Clear();

    // Worker threads (at least 1).
    int MaxThreads() const { return pool_.maxThreadCount(); }

private:
    struct Job;
    std::shared_ptr<Job> FindJob(const QString &path, const TextureMapSettings &settings) const;
    void StartMoreJobs();
    std::shared_ptr<Job> StartJob(const QString &path, const TextureMapSettings &settings);

    QThreadPool pool_;
    std::deque<std::shared_ptr<Job>> jobs_;  // started, in announcement order
    QStringList announced_;                  // not started yet
    QStringList previouslyAnnounced_;        // the announcement before the last one
    TextureMapSettings announcedSettings_;
};

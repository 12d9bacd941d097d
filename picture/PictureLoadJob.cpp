#include "picture/PictureLoadJob.h"

#include <mutex>
#include <thread>

#include "picture/DecoderRun.h"
#include "picture/LoadWatch.h"
#include "picture/PictureLoader.h"

namespace tovik {

// Where the thread of the first look hands its answer back: to the job while
// it lives. The thread copies its inputs and touches nothing else.
struct PictureLoadJob::Channel {
    std::mutex mutex;
    PictureLoadJob* job = nullptr;
};

PictureLoadJob::PictureLoadJob(const QString& path, Mode mode, Done done, QObject* parent)
    : QObject(parent), path_(path), done_(std::move(done)) {
    if (mode == Mode::Foreground) {
        claim_ = std::make_unique<DecoderClaim>();
    } else {
        // Given up to a load the user waits for: that load's claim runs this
        // first, and goes on without waiting.
        claim_ = std::make_unique<DecoderClaim>([this] {
            run_.reset();
            Finish({Status::Superseded, {}, {}, DecodeResult::Busy});
        });
    }
    if (!claim_->Held()) {
        Fail(DecodeResult::Busy);
        return;
    }
    watch_ = std::make_unique<LoadWatch>([this] {
        // Not from inside the key's event filter, which the finish removes.
        QMetaObject::invokeMethod(this, [this] { Fail(DecodeResult::Cancelled); }, Qt::QueuedConnection);
    });
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { Fail(DecodeResult::TimedOut); });
    deadline_.start(DecoderTimeLimit());

    channel_ = std::make_shared<Channel>();
    channel_->job = this;
    std::thread([channel = channel_, path = path_] {
        const PictureProbe probe = ProbePictureFile(path);
        const std::lock_guard lock(channel->mutex);
        if (!channel->job) return;
        PictureLoadJob* job = channel->job;
        // Queued to the job's thread; dropped if the job is gone by then.
        QMetaObject::invokeMethod(
            job, [job, probe] { job->Probed(probe.ordinaryFile, probe.kind, probe.error); }, Qt::QueuedConnection);
    }).detach();
}

PictureLoadJob::~PictureLoadJob() {
    done_ = nullptr;
    if (channel_) {
        const std::lock_guard lock(channel_->mutex);
        channel_->job = nullptr;
    }
}

void PictureLoadJob::Probed(bool ordinaryFile, PictureKind kind, const QString& error) {
    if (Finished() || run_) return;
    if (!ordinaryFile) return Finish({Status::NotOrdinaryFile, {}, error});
    if (!error.isEmpty()) return Finish({Status::Failed, {}, error});
    kind_ = kind;
    const QString program = DecoderPath();
    if (program.isEmpty() || !KindName(kind)) return Fail(DecodeResult::DecoderMissing);
    deadline_.stop();  // the decoder has a limit of its own
    run_ = std::make_unique<DecoderRun>(program, path_, kind,
                                        [this](DecodeResult r, const QImage& picture) { Decoded(r, picture); });
}

void PictureLoadJob::Decoded(DecodeResult result, const QImage& picture) {
    if (result != DecodeResult::Decoded) return Fail(result);
    Finish({Status::Loaded, picture, {}});
}

void PictureLoadJob::Fail(DecodeResult result) {
    Finish({Status::Failed, {}, DecodeFailureMessage(result, kind_, path_), result});
}

void PictureLoadJob::Finish(Outcome outcome) {
    if (Finished()) return;
    Done done = std::move(done_);
    done_ = nullptr;
    deadline_.stop();
    watch_.reset();
    claim_.reset();
    if (run_) run_->Stop(DecodeResult::Cancelled);  // kept until the job goes: it may be what called this
    if (channel_) {
        const std::lock_guard lock(channel_->mutex);
        channel_->job = nullptr;
    }
    QMetaObject::invokeMethod(
        this, [done = std::move(done), outcome = std::move(outcome)] { done(outcome); },
        Qt::QueuedConnection);
}

}  // namespace tovik

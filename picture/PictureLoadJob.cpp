#include "picture/PictureLoadJob.h"

#include <QFile>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

#include "picture/DecoderRun.h"
#include "picture/LoadWatch.h"

namespace tovik {

// What the thread of the first look shares with the job: the job while it
// wants the answer, and the answer. An open file that nobody took is closed
// with the channel.
struct PictureLoadJob::Channel {
    std::mutex mutex;
    PictureLoadJob* job = nullptr;
    std::optional<FirstLook> look;

    ~Channel() {
        if (look && look->fd >= 0) ::close(look->fd);
    }
};

PictureLoadJob::PictureLoadJob(const QString& path, Mode mode, Done done) : done_(std::move(done)) {
    if (mode == Mode::Foreground) {
        claim_ = std::make_unique<DecoderClaim>();
    } else {
        // A load the user waits for takes the decoder over: this one ends.
        claim_ = std::make_unique<DecoderClaim>([this] { Finish(PictureProblem::Busy); });
    }
    if (!claim_->Held()) {
        Finish(PictureProblem::Busy);
        return;
    }
    watch_ = std::make_unique<LoadWatch>([this] {
        // Not from inside the key's event filter, which the finish removes.
        QMetaObject::invokeMethod(this, [this] { Finish(PictureProblem::Cancelled); }, Qt::QueuedConnection);
    });
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { Finish(PictureProblem::TimedOut); });
    deadline_.start(DecoderTimeLimit());

    channel_ = std::make_shared<Channel>();
    channel_->job = this;
    std::thread([channel = channel_, name = QFile::encodeName(path)] {
        FirstLook look = LookAtPictureFile(name);
        const std::lock_guard lock(channel->mutex);
        channel->look = look;
        // Queued to the job's thread while the job still wants it.
        if (channel->job) QMetaObject::invokeMethod(channel->job, [job = channel->job] { job->Looked(); },
                                                    Qt::QueuedConnection);
    }).detach();
}

PictureLoadJob::~PictureLoadJob() {
    done_ = nullptr;
    if (!channel_) return;
    const std::lock_guard lock(channel_->mutex);
    channel_->job = nullptr;
}

void PictureLoadJob::Looked() {
    FirstLook look;
    {
        const std::lock_guard lock(channel_->mutex);
        if (!channel_->look) return;
        look = *channel_->look;
        channel_->look.reset();
    }
    struct Closer {
        int fd;
        ~Closer() {
            if (fd >= 0) ::close(fd);
        }
    } closer{look.fd};
    if (!done_ || run_) return;
    if (look.problem != PictureProblem::None) return Finish(look.problem);
    kind_ = look.kind;
    const QString program = DecoderPath();
    if (program.isEmpty() || !KindName(kind_)) return Finish(PictureProblem::DecoderMissing);
    deadline_.stop();  // the decoder has a limit of its own
    // The decoder has its own copy of the file once this returns.
    run_ = std::make_unique<DecoderRun>(program, look.fd, kind_,
                                        [this](DecodeResult r, const QImage& picture) { Decoded(r, picture); });
}

void PictureLoadJob::Decoded(DecodeResult result, const QImage& picture) {
    Finish(ProblemOfDecode(result, kind_), picture);
}

void PictureLoadJob::Finish(PictureProblem problem, const QImage& picture) {
    if (!done_) return;
    Done done = std::move(done_);
    done_ = nullptr;
    deadline_.stop();
    watch_.reset();
    claim_.reset();
    // Kept until the job goes: it may be what called this.
    if (run_) run_->Stop(DecodeResult::Cancelled);
    if (channel_) {
        const std::lock_guard lock(channel_->mutex);
        channel_->job = nullptr;
    }
    QMetaObject::invokeMethod(
        this, [done = std::move(done), problem, picture] { done(problem, picture); }, Qt::QueuedConnection);
}

}  // namespace tovik

#include "picture/DecoderRun.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "picture/DecoderAnswer.h"
#include "picture/RasterFormat.h"

namespace tovik {

DecoderRun::DecoderRun(const QString& program, int fd, PictureKind kind, Done done) : done_(std::move(done)) {
    helper_.setProgram(program);
    helper_.setArguments({QString::fromLatin1(KindName(kind))});
    helper_.setStandardInputFile(QProcess::nullDevice());
    helper_.setStandardErrorFile(QProcess::nullDevice());
    const qint64 memoryLimit = DecoderMemoryLimit();
    helper_.setChildProcessModifier([memoryLimit, fd] {
        // Runs in the child between fork and exec: system calls only.
        // The picture's file replaces the null device as standard input.
        if (::dup2(fd, STDIN_FILENO) < 0) ::_exit(metafile::kExitUnreadable);
        // A group of its own, killed as a whole.
        ::setpgid(0, 0);
        struct rlimit none = {0, 0};
        setrlimit(RLIMIT_CORE, &none);
        // Past the soft limit the decoder gets SIGXCPU, past the hard one SIGKILL.
        struct rlimit cpu = {metafile::kDecoderCpuSeconds, metafile::kDecoderCpuSeconds + 1};
        setrlimit(RLIMIT_CPU, &cpu);
        if (memoryLimit > 0) {
            struct rlimit as = {static_cast<rlim_t>(memoryLimit), static_cast<rlim_t>(memoryLimit)};
            setrlimit(RLIMIT_AS, &as);
        }
    });
    connect(&helper_, &QProcess::readyReadStandardOutput, this, [this] { Read(); });
    connect(&helper_, &QProcess::finished, this, [this] { Finished(); });
    connect(&helper_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) Report(DecodeResult::DecoderMissing);
    });
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { Stop(DecodeResult::TimedOut); });
    helper_.start(QIODevice::ReadOnly);
    deadline_.start(DecoderTimeLimit());
}

DecoderRun::~DecoderRun() {
    done_ = nullptr;
    if (helper_.state() == QProcess::NotRunning) return;
    Kill();
    helper_.waitForFinished(1000);
}

// The decoder has not been waited for yet, so its process group is still the
// one it made: whatever it started dies with it.
void DecoderRun::Kill() {
    const qint64 pid = helper_.processId();
    if (pid <= 0 || ::kill(-static_cast<pid_t>(pid), SIGKILL) != 0) helper_.kill();
}

void DecoderRun::Stop(DecodeResult result) {
    if (stopped_ || helper_.state() == QProcess::NotRunning) return;
    stopped_ = result;
    Kill();  // Finished() reports it
}

void DecoderRun::Read() {
    if (stopped_) return;
    answer_ += helper_.readAllStandardOutput();
    const qint64 announced = AnnouncedAnswerLength(answer_);
    if (announced > answer_.capacity()) answer_.reserve(announced);
    // An answer longer than its header announces, or one whose header is
    // no header at all, is nonsense: reading stops there.
    if (AnswerTooLong(answer_)) Stop(DecodeResult::BadOutput);
}

void DecoderRun::Finished() {
    deadline_.stop();
    if (stopped_) return Report(*stopped_);
    Read();
    if (stopped_) return Report(*stopped_);
    if (helper_.exitStatus() == QProcess::CrashExit)
        return Report(helper_.exitCode() == SIGXCPU ? DecodeResult::TimedOut : DecodeResult::Crashed);
    switch (helper_.exitCode()) {
        case 0: break;
        case metafile::kExitTooLarge: return Report(DecodeResult::TooLarge);
        case metafile::kExitCutShort: return Report(DecodeResult::CutShort);
        default: return Report(DecodeResult::Rejected);
    }
    QImage picture;
    if (!ParseRaster(answer_, &picture)) return Report(DecodeResult::BadOutput);
    Report(DecodeResult::Decoded, picture);
}

// Queued, so that `done` never runs inside a signal of the process.
void DecoderRun::Report(DecodeResult result, const QImage& picture) {
    if (!done_) return;
    Done done = std::move(done_);
    done_ = nullptr;
    deadline_.stop();
    QMetaObject::invokeMethod(this, [done = std::move(done), result, picture] { done(result, picture); },
                              Qt::QueuedConnection);
}

}  // namespace tovik

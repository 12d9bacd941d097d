#include "picture/PictureDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <unistd.h>
#include <functional>
#include <optional>

#include "picture/DecoderRun.h"
#include "picture/LoadWatch.h"
#include "picture/RasterFormat.h"

#if defined(__SANITIZE_ADDRESS__)
#define TOVIK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOVIK_ADDRESS_SANITIZER 1
#endif
#endif

namespace tovik {

namespace {

constexpr const char* kDecoderName = "tovik-decoder";
// Wall-clock: on a loaded machine a decode that takes seconds of CPU time
// takes several times as long; the costliest legal picture took 30 s beside
// two busy loops on 2 cores.
constexpr int kDefaultTimeLimitMs = 40000;

QString& DecoderOverride() {
    static QString program;
    return program;
}

int& TimeLimit() {
    static int ms = kDefaultTimeLimitMs;
    return ms;
}

bool IsProgram(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// The holder of the decoder: the id of its claim (0: none), whether it is a
// background one, and what makes it yield.
struct Holder {
    unsigned id = 0;
    unsigned lastId = 0;
    bool background = false;
    std::function<void()> yield;
};

// Claims are made and dropped on the thread of the event loop only.
Holder& DecoderHolder() {
    static Holder h;
    return h;
}

}  // namespace

void SetDecoderOverride(const QString& program) { DecoderOverride() = program; }

void SetDecoderTimeLimit(int milliseconds) { TimeLimit() = milliseconds > 0 ? milliseconds : kDefaultTimeLimitMs; }

int DecoderTimeLimit() { return TimeLimit(); }

int DecoderCpuLimit() { return metafile::kDecoderCpuSeconds; }

qint64 DecoderMemoryLimit() {
#ifdef TOVIK_ADDRESS_SANITIZER
    return 0;
#else
    return metafile::kDecoderMemoryBytes;
#endif
}

QString DecoderPath() {
    if (!DecoderOverride().isEmpty()) return IsProgram(DecoderOverride()) ? DecoderOverride() : QString();
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QDir dir(QCoreApplication::applicationDirPath());
        candidates << dir.filePath(kDecoderName) << QDir(dir.filePath("..")).filePath(kDecoderName);
        candidates << QDir(dir.filePath("../libexec/tovik")).filePath(kDecoderName);  // where it is installed
    }
    const QString binaryDir = qEnvironmentVariable("TOVIK_BINARY_DIR");
    if (!binaryDir.isEmpty()) candidates << QDir(binaryDir).filePath(kDecoderName);
    for (const QString& c : candidates)
        if (IsProgram(c)) return QFileInfo(c).absoluteFilePath();
    return QString();
}

DecoderClaim::DecoderClaim() {
    Holder& h = DecoderHolder();
    if (h.id != 0 && !h.background) return;
    if (h.id != 0) {
        const std::function<void()> yield = std::move(h.yield);
        h = Holder{0, h.lastId, false, {}};
        if (yield) yield();
        if (h.id != 0) return;  // claimed again meanwhile
    }
    id_ = h.id = ++h.lastId;
}

DecoderClaim::DecoderClaim(std::function<void()> yield) {
    Holder& h = DecoderHolder();
    if (h.id != 0) return;
    id_ = h.id = ++h.lastId;
    h.background = true;
    h.yield = std::move(yield);
}

DecoderClaim::~DecoderClaim() {
    Holder& h = DecoderHolder();
    if (id_ != 0 && h.id == id_) h = Holder{0, h.lastId, false, {}};
}

bool DecoderClaim::Held() const { return id_ != 0 && DecoderHolder().id == id_; }

DecodeResult DecodePicture(const QString& path, PictureKind kind, QImage* out) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return DecodeResult::Rejected;
    const DecodeResult result = DecodePictureFile(fd, kind, out);
    ::close(fd);
    return result;
}

DecodeResult DecodePictureFile(int fd, PictureKind kind, QImage* out) {
    const DecoderClaim claim;
    if (!claim.Held()) return DecodeResult::Busy;
    const QString program = DecoderPath();
    if (program.isEmpty() || !KindName(kind) || !QCoreApplication::instance())
        return DecodeResult::DecoderMissing;
    std::optional<DecodeResult> result;
    QEventLoop loop;
    DecoderRun run(program, fd, kind, [&](DecodeResult r, const QImage& picture) {
        result = r;
        if (r == DecodeResult::Decoded) *out = picture;
        loop.quit();
    });
    const LoadWatch watch([&run] { run.Stop(DecodeResult::Cancelled); });
    // The loop also ends early when the application quits; the run, gone
    // with this function, takes the decoder with it.
    if (!result) loop.exec();
    return result.value_or(DecodeResult::Cancelled);
}

}  // namespace tovik

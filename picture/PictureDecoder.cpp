#include "picture/PictureDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <functional>
#include <optional>
#include <sys/resource.h>

#include "picture/DecoderAnswer.h"
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
// A decode that takes longer than this shows the busy pointer.
constexpr int kBusyPointerDelayMs = 300;

QString& DecoderOverride() {
    static QString program;
    return program;
}

int& TimeLimit() {
    static int ms = kDefaultTimeLimitMs;
    return ms;
}

// True while a picture is being decoded.
bool g_decoding = false;

bool IsProgram(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Calls back when Escape is pressed and no modal window is open; the key
// goes no further then.
class EscapeWatch : public QObject {
public:
    explicit EscapeWatch(std::function<void()> onEscape) : onEscape_(std::move(onEscape)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            !QGuiApplication::modalWindow()) {
            onEscape_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onEscape_;
};

// One run of the decoder over one file, waited for in a local event loop.
class DecoderRun {
public:
    DecodeResult Run(const QString& program, int fd, PictureKind kind, QImage* out) {
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

        QEventLoop loop;
        QObject::connect(&helper_, &QProcess::readyReadStandardOutput, &loop, [this] { Read(); });
        QObject::connect(&helper_, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&helper_, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart) loop.quit();
        });
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, [this] { Stop(DecodeResult::TimedOut); });
        QTimer busyPointer;
        busyPointer.setSingleShot(true);
        QObject::connect(&busyPointer, &QTimer::timeout, &loop, [this] {
            if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
            QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
            pointerSet_ = true;
        });
        const EscapeWatch escape([this] { Stop(DecodeResult::Cancelled); });

        helper_.start(QIODevice::ReadOnly);
        deadline.start(TimeLimit());
        busyPointer.start(kBusyPointerDelayMs);
        // The loop also ends early when the application quits.
        if (helper_.state() != QProcess::NotRunning) loop.exec();
        if (pointerSet_) QGuiApplication::restoreOverrideCursor();

        if (helper_.error() == QProcess::FailedToStart) return DecodeResult::DecoderMissing;
        if (helper_.state() != QProcess::NotRunning) {
            Stop(DecodeResult::Cancelled);
            helper_.waitForFinished(1000);
        }
        if (stopped_) return *stopped_;
        Read();
        if (stopped_) return *stopped_;
        if (helper_.exitStatus() == QProcess::CrashExit)
            return helper_.exitCode() == SIGXCPU ? DecodeResult::TimedOut : DecodeResult::Crashed;
        switch (helper_.exitCode()) {
            case 0: break;
            case metafile::kExitTooLarge: return DecodeResult::TooLarge;
            case metafile::kExitCutShort: return DecodeResult::CutShort;
            default: return DecodeResult::Rejected;
        }
        return ParseRaster(answer_, out) ? DecodeResult::Decoded : DecodeResult::BadOutput;
    }

private:
    void Read() {
        if (stopped_) return;
        answer_ += helper_.readAllStandardOutput();
        const qint64 announced = AnnouncedAnswerLength(answer_);
        if (announced > answer_.capacity()) answer_.reserve(announced);
        // An answer longer than its header announces, or one whose header is
        // no header at all, is nonsense: reading stops there.
        if (AnswerTooLong(answer_)) Stop(DecodeResult::BadOutput);
    }

    // Ends the run with a result, unless the decoder has finished already.
    // The decoder has not been waited for yet, so its process group is still
    // the one it made: whatever it started dies with it.
    void Stop(DecodeResult result) {
        if (stopped_ || helper_.state() == QProcess::NotRunning) return;
        stopped_ = result;
        const qint64 pid = helper_.processId();
        if (pid <= 0 || ::kill(-static_cast<pid_t>(pid), SIGKILL) != 0) helper_.kill();
    }

    QProcess helper_;
    QByteArray answer_;
    std::optional<DecodeResult> stopped_;
    bool pointerSet_ = false;
};

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

DecodeResult DecodePicture(const QString& path, PictureKind kind, QImage* out) {
    if (g_decoding) return DecodeResult::Busy;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return DecodeResult::Rejected;
    const DecodeResult result = DecodePictureFile(fd, kind, out);
    ::close(fd);
    return result;
}

DecodeResult DecodePictureFile(int fd, PictureKind kind, QImage* out) {
    if (g_decoding) return DecodeResult::Busy;
    const QString program = DecoderPath();
    if (program.isEmpty() || !KindName(kind) || !QCoreApplication::instance())
        return DecodeResult::DecoderMissing;
    struct Decoding {
        Decoding() { g_decoding = true; }
        ~Decoding() { g_decoding = false; }
    } decoding;
    return DecoderRun().Run(program, fd, kind, out);
}

}  // namespace tovik

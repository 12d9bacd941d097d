#include "app/MetafileDecoder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstring>
#include <sys/resource.h>

#include "app/metafile/RasterFormat.h"

#if defined(__SANITIZE_ADDRESS__)
#define TOVIK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOVIK_ADDRESS_SANITIZER 1
#endif
#endif

namespace tovik {

namespace {

constexpr const char* kHelperName = "tovik-metafile";
constexpr int kDefaultTimeLimitMs = 10000;
constexpr qint64 kMemoryLimitBytes = 768LL * 1024 * 1024;

QString& HelperOverride() {
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

void Stop(QProcess& p) {
    p.kill();
    p.waitForFinished(1000);
}

// The length of a well-formed answer as its header announces it; 0 when the
// bytes do not begin with a header of an allowed picture.
qint64 AnnouncedLength(const QByteArray& bytes) {
    using namespace metafile;
    if (static_cast<std::size_t>(bytes.size()) < kRasterHeaderSize) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (std::memcmp(p, kRasterMagic, sizeof kRasterMagic) != 0) return 0;
    const std::uint32_t w = GetLe32(p + 8), h = GetLe32(p + 12);
    if (!PictureSizeAllowed(w, h)) return 0;
    return static_cast<qint64>(kRasterHeaderSize) + static_cast<qint64>(w) * h * 4;
}

// Checks the helper's answer and turns it into an image.
bool ParseRaster(const QByteArray& bytes, QImage* out) {
    using namespace metafile;
    const qint64 length = AnnouncedLength(bytes);
    if (length == 0 || bytes.size() != length) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::uint32_t w = GetLe32(p + 8), h = GetLe32(p + 12);
    const unsigned char* pixels = p + kRasterHeaderSize;
    const auto pixelBytes = static_cast<std::size_t>(length) - kRasterHeaderSize;
    if (RasterChecksum(pixels, pixelBytes) != GetLe64(p + 16)) return false;
    QImage img(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32);
    if (img.isNull()) return false;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const unsigned char* row = pixels + static_cast<qint64>(y) * w * 4;
        for (int x = 0; x < img.width(); ++x) line[x] = GetLe32(row + 4 * x);
    }
    *out = img;
    return true;
}

// An answer longer than its header announces, or one whose header is not a
// header at all, is nonsense and stops the helper.
bool AnswerTooLong(const QByteArray& bytes) {
    if (static_cast<std::size_t>(bytes.size()) < metafile::kRasterHeaderSize) return false;
    const qint64 length = AnnouncedLength(bytes);
    return length == 0 || bytes.size() > length;
}

}  // namespace

void SetMetafileHelperOverride(const QString& program) { HelperOverride() = program; }

void SetMetafileTimeLimit(int milliseconds) { TimeLimit() = milliseconds > 0 ? milliseconds : kDefaultTimeLimitMs; }

int MetafileTimeLimit() { return TimeLimit(); }

qint64 MetafileMemoryLimit() {
#ifdef TOVIK_ADDRESS_SANITIZER
    return 0;
#else
    return kMemoryLimitBytes;
#endif
}

QString MetafileHelperPath() {
    if (!HelperOverride().isEmpty()) return IsProgram(HelperOverride()) ? HelperOverride() : QString();
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QDir dir(QCoreApplication::applicationDirPath());
        candidates << dir.filePath(kHelperName) << QDir(dir.filePath("..")).filePath(kHelperName);
        candidates << QDir(dir.filePath("../libexec/tovik")).filePath(kHelperName);  // where it is installed
    }
    const QString binaryDir = qEnvironmentVariable("TOVIK_BINARY_DIR");
    if (!binaryDir.isEmpty()) candidates << QDir(binaryDir).filePath(kHelperName);
    for (const QString& c : candidates)
        if (IsProgram(c)) return QFileInfo(c).absoluteFilePath();
    return QString();
}

MetafileResult DecodeMetafile(const QString& path, QImage* out) {
    const QString program = MetafileHelperPath();
    if (program.isEmpty()) return MetafileResult::HelperMissing;

    QProcess helper;
    helper.setProgram(program);
    helper.setArguments({path});
    helper.setStandardInputFile(QProcess::nullDevice());
    helper.setStandardErrorFile(QProcess::nullDevice());
    const qint64 memoryLimit = MetafileMemoryLimit();
    helper.setChildProcessModifier([memoryLimit] {
        // Runs in the child between fork and exec: system calls only.
        struct rlimit none = {0, 0};
        setrlimit(RLIMIT_CORE, &none);
        if (memoryLimit > 0) {
            struct rlimit as = {static_cast<rlim_t>(memoryLimit), static_cast<rlim_t>(memoryLimit)};
            setrlimit(RLIMIT_AS, &as);
        }
    });

    QDeadlineTimer deadline(TimeLimit());
    helper.start(QIODevice::ReadOnly);
    if (!helper.waitForStarted(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
        Stop(helper);
        return deadline.hasExpired() ? MetafileResult::TimedOut : MetafileResult::HelperMissing;
    }

    QByteArray answer;
    for (;;) {
        answer += helper.readAllStandardOutput();
        if (AnswerTooLong(answer)) {
            Stop(helper);
            return MetafileResult::BadOutput;
        }
        if (helper.state() == QProcess::NotRunning) break;
        if (deadline.hasExpired()) {
            Stop(helper);
            return MetafileResult::TimedOut;
        }
        if (!helper.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
            // The output closed or the time ran out: wait for the exit within
            // what is left of the limit.
            if (helper.state() != QProcess::NotRunning &&
                !helper.waitForFinished(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
                if (helper.state() != QProcess::NotRunning) {
                    Stop(helper);
                    return MetafileResult::TimedOut;
                }
            }
        }
    }
    answer += helper.readAllStandardOutput();
    if (helper.exitStatus() == QProcess::CrashExit) return MetafileResult::Crashed;
    if (helper.exitCode() == metafile::kExitTooLarge) return MetafileResult::TooLarge;
    if (helper.exitCode() != 0) return MetafileResult::Rejected;
    if (AnswerTooLong(answer) || !ParseRaster(answer, out)) return MetafileResult::BadOutput;
    return MetafileResult::Decoded;
}

}  // namespace tovik

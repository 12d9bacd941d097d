#include "picture/PictureLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/PictureLoadJob.h"
#include "picture/RasterFormat.h"

namespace tovik {

namespace {

// Files larger than this are not read at all: an uncompressed BMP of the
// largest picture allowed fits easily.
constexpr qint64 kMaxPictureFileBytes = 256LL * 1024 * 1024;

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// text names the file as %1.
bool Fail(QString* error, const QString& text, const QString& path) {
    if (error) *error = text.arg(Shown(path));
    return false;
}

bool FailTooLarge(QString* error, const QString& path) {
    if (error)
        *error = QStringLiteral("Рисунок «%1» слишком велик: допускается не более %2 точек по ширине "
                                "и по высоте.")
                     .arg(Shown(path), QString::number(metafile::kMaxPictureSide));
    return false;
}

const QString kNotPicture = QStringLiteral(
    "Файл «%1» не удаётся прочитать как рисунок: его формат не поддерживается или файл повреждён.");

}  // namespace

QString DecodeFailureMessage(DecodeResult result, PictureKind kind, const QString& path) {
    const auto named = [&path](const QString& text) { return text.arg(Shown(path)); };
    switch (result) {
        case DecodeResult::Decoded: break;
        case DecodeResult::DecoderMissing:
            return named(QStringLiteral("Не удаётся прочитать рисунок «%1»: не найдена программа чтения "
                                        "рисунков tovik-decoder."));
        case DecodeResult::CutShort:
            return named(QStringLiteral("Файл «%1» обрезан: рисунок записан в нём не полностью."));
        case DecodeResult::TooLarge: {
            QString text;
            FailTooLarge(&text, path);
            return text;
        }
        case DecodeResult::TimedOut:
            return named(QStringLiteral("Не удаётся прочитать рисунок «%1»: чтение заняло слишком много "
                                        "времени и было прервано."));
        case DecodeResult::Cancelled: return named(QStringLiteral("Чтение рисунка «%1» прервано."));
        case DecodeResult::Busy:
            return named(QStringLiteral("Рисунок «%1» не открыт: программа ещё читает другой рисунок."));
        case DecodeResult::Rejected:
        case DecodeResult::Crashed:
        case DecodeResult::BadOutput: break;
    }
    if (kind == PictureKind::Wmf || kind == PictureKind::Emf)
        return named(QStringLiteral("Не удаётся прочитать метафайл «%1»: файл повреждён или его формат "
                                    "не поддерживается."));
    return named(kNotPicture);
}

PictureProbe ProbePictureFile(const QString& path) {
    PictureProbe probe;
    const auto refuse = [&](const QString& text) {
        Fail(&probe.error, text, path);
        return probe;
    };
    if (path.isEmpty()) return refuse(QStringLiteral("Файл «%1» не найден."));
    const QFileInfo info(path);
    probe.ordinaryFile = info.isFile() && !info.isHidden();
    // Opened without waiting, so that a FIFO cannot block; only regular files
    // are read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return refuse(QStringLiteral("Файл «%1» не найден."));
        return refuse(QStringLiteral("Не удаётся открыть файл «%1»: нет доступа."));
    }
    struct stat st {};
    QByteArray head(kSniffBytes, '\0');
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const ssize_t got = regular ? ::read(fd, head.data(), static_cast<size_t>(head.size())) : 0;
    ::close(fd);
    if (!regular) return refuse(QStringLiteral("«%1» — не файл, а папка или устройство."));
    if (got < 0) return refuse(QStringLiteral("Не удаётся прочитать файл «%1»."));
    if (got == 0) return refuse(QStringLiteral("Файл «%1» пуст: рисунка в нём нет."));
    if (st.st_size > kMaxPictureFileBytes) {
        FailTooLarge(&probe.error, path);
        return probe;
    }
    head.truncate(got);

    // Only the formats the program reads go to the decoder, each pinned to
    // the format its first bytes show: an SVG or any other file named .bmp
    // is refused here without being decoded.
    probe.kind = SniffPicture(head);
    if (probe.kind == PictureKind::Other) return refuse(kNotPicture);
    return probe;
}

bool LoadPictureFile(const QString& path, QImage* out, QString* error) {
    if (!QCoreApplication::instance()) {  // no event loop, so no decoder either
        const PictureProbe probe = ProbePictureFile(path);
        if (error) *error = probe.error.isEmpty() ? DecodeFailureMessage(DecodeResult::DecoderMissing, probe.kind, path) : probe.error;
        return false;
    }
    std::optional<PictureLoadJob::Outcome> outcome;
    QEventLoop loop;
    PictureLoadJob job(path, PictureLoadJob::Mode::Foreground, [&](const PictureLoadJob::Outcome& o) {
        outcome = o;
        loop.quit();
    });
    // The loop also ends early when the application quits.
    if (!outcome) loop.exec();
    if (!outcome) return Fail(error, QStringLiteral("Чтение рисунка «%1» прервано."), path);
    if (outcome->status != PictureLoadJob::Status::Loaded) {
        if (error) *error = outcome->error;
        return false;
    }
    *out = outcome->picture;
    return true;
}

}  // namespace tovik

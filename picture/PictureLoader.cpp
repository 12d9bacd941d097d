#include "picture/PictureLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <cerrno>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/FileName.h"
#include "picture/PictureDecoder.h"
#include "picture/PictureFormat.h"
#include "picture/PictureLoadJob.h"
#include "picture/RasterFormat.h"

namespace tovik {

namespace {

// Files larger than this are not read at all: an uncompressed BMP of the
// largest picture allowed fits easily.
constexpr qint64 kMaxPictureFileBytes = 256LL * 1024 * 1024;

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

}  // namespace

PictureProblem ProblemOfDecode(DecodeResult result, PictureKind kind) {
    switch (result) {
        case DecodeResult::Decoded: return PictureProblem::None;
        case DecodeResult::DecoderMissing: return PictureProblem::DecoderMissing;
        case DecodeResult::CutShort: return PictureProblem::CutShort;
        case DecodeResult::TooLarge: return PictureProblem::TooLarge;
        case DecodeResult::TimedOut: return PictureProblem::TimedOut;
        case DecodeResult::Cancelled: return PictureProblem::Cancelled;
        case DecodeResult::Busy: return PictureProblem::Busy;
        case DecodeResult::Rejected:
        case DecodeResult::Crashed:
        case DecodeResult::BadOutput: break;
    }
    return kind == PictureKind::Wmf || kind == PictureKind::Emf ? PictureProblem::BadMetafile
                                                                : PictureProblem::NotPicture;
}

namespace {

// The message for the user, naming the file as %1.
QString Message(PictureProblem problem) {
    // Read in the language of the windows.
    const auto translated = [](const char* text) { return QCoreApplication::translate("tovik::PictureLoader", text); };
    switch (problem) {
        case PictureProblem::None: break;
        case PictureProblem::NotFound: return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader", "Файл «%1» не найден."));
        case PictureProblem::NoAccess:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader", "Не удаётся открыть файл «%1»: нет доступа."));
        case PictureProblem::NotAFile:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader", "«%1» — не файл, а папка или устройство."));
        case PictureProblem::Unreadable:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader", "Не удаётся прочитать файл «%1»."));
        case PictureProblem::Empty:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader", "Файл «%1» пуст: рисунка в нём нет."));
        case PictureProblem::TooLarge:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader",
                                        "Рисунок «%1» слишком велик: допускается не более %2 точек по ширине "
                                        "и по высоте."))
                .arg(QStringLiteral("%1"), QString::number(metafile::kMaxPictureSide));
        case PictureProblem::NotPicture:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader",
                                        "Файл «%1» не удаётся прочитать как рисунок: его формат не поддерживается "
                                        "или файл повреждён."));
        case PictureProblem::BadMetafile:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader",
                                        "Не удаётся прочитать метафайл «%1»: файл повреждён или его формат "
                                        "не поддерживается."));
        case PictureProblem::DecoderMissing:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader",
                                        "Не удаётся прочитать рисунок «%1»: не найдена программа чтения "
                                        "рисунков tovik-decoder."));
        case PictureProblem::CutShort:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader",
                                        "Файл «%1» обрезан: рисунок записан в нём не полностью."));
        case PictureProblem::TimedOut:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader",
                                        "Не удаётся прочитать рисунок «%1»: чтение заняло слишком много "
                                        "времени и было прервано."));
        case PictureProblem::Cancelled:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader", "Чтение рисунка «%1» прервано."));
        case PictureProblem::Busy:
            return translated(QT_TRANSLATE_NOOP("tovik::PictureLoader",
                                        "Рисунок «%1» не открыт: программа ещё читает другой рисунок."));
    }
    return QString();
}

}  // namespace

QString PictureProblemMessage(PictureProblem problem, const QString& shownName) {
    return Message(problem).arg(shownName);
}

bool LoadPictureFile(const QString& path, QImage* out, QString* error) {
    std::optional<PictureProblem> problem;
    QImage picture;
    if (!QCoreApplication::instance()) {
        problem = ReadPictureFile(path, &picture);
    } else {
        QEventLoop loop;
        const PictureLoadJob job(path, PictureLoadJob::Mode::Foreground, [&](PictureProblem p, const QImage& img) {
            problem = p;
            picture = img;
            loop.quit();
        });
        // The loop also ends early when the application quits.
        if (!problem) loop.exec();
    }
    const PictureProblem p = problem.value_or(PictureProblem::Cancelled);
    if (p == PictureProblem::None) {
        *out = picture;
        return true;
    }
    if (error) *error = PictureProblemMessage(p, Shown(path));
    return false;
}

PictureProblem ReadPictureFile(const QString& path, QImage* out) {
    return ReadNativePictureFile(QFile::encodeName(path), out);
}

PictureProblem ReadNativePictureFile(const QByteArray& path, QImage* out) {
    const FirstLook look = LookAtPictureFile(path);
    if (look.problem != PictureProblem::None) return look.problem;
    QImage img;
    const PictureProblem problem = ProblemOfDecode(DecodePictureFile(look.fd, look.kind, &img), look.kind);
    ::close(look.fd);
    if (problem == PictureProblem::None) *out = img;
    return problem;
}

FirstLook LookAtPictureFile(const QByteArray& path) {
    FirstLook look;
    if (path.isEmpty() || path.contains('\0')) {
        look.problem = PictureProblem::NotFound;
        return look;
    }
    // Opened without waiting, so that a FIFO cannot block; only regular files
    // are read. The decoder reads this very file, never a name that may by
    // then stand for another.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        look.problem = errno == ENOENT || errno == ENOTDIR ? PictureProblem::NotFound : PictureProblem::NoAccess;
        return look;
    }
    struct stat st {};
    QByteArray head(kSniffBytes, '\0');
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const ssize_t got = regular ? ::pread(fd, head.data(), static_cast<size_t>(head.size()), 0) : 0;
    if (got > 0) head.truncate(got);
    // Only the formats the program reads go to the decoder, each pinned to
    // the format its first bytes show: an SVG or any other file named .bmp
    // is refused here without being decoded.
    look.kind = got > 0 ? SniffPicture(head) : PictureKind::Other;
    look.problem = !regular                          ? PictureProblem::NotAFile
                   : got < 0                         ? PictureProblem::Unreadable
                   : got == 0                        ? PictureProblem::Empty
                   : st.st_size > kMaxPictureFileBytes ? PictureProblem::TooLarge
                   : look.kind == PictureKind::Other ? PictureProblem::NotPicture
                                                     : PictureProblem::None;
    if (look.problem == PictureProblem::None) {
        look.fd = fd;
    } else {
        ::close(fd);
    }
    return look;
}

}  // namespace tovik

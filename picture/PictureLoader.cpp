#include "picture/PictureLoader.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/FileName.h"
#include "picture/PictureDecoder.h"
#include "picture/PictureFormat.h"
#include "picture/RasterFormat.h"

namespace tovik {

namespace {

// Files larger than this are not read at all: an uncompressed BMP of the
// largest picture allowed fits easily.
constexpr qint64 kMaxPictureFileBytes = 256LL * 1024 * 1024;

// text names the file as %1.
bool Fail(QString* error, const QString& text, const QString& shown) {
    if (error) *error = text.arg(shown);
    return false;
}

bool FailTooLarge(QString* error, const QString& shown) {
    if (error)
        *error = QStringLiteral("Рисунок «%1» слишком велик: допускается не более %2 точек по ширине "
                                "и по высоте.")
                     .arg(shown, QString::number(metafile::kMaxPictureSide));
    return false;
}

const QString kNotPicture = QStringLiteral(
    "Файл «%1» не удаётся прочитать как рисунок: его формат не поддерживается или файл повреждён.");

bool Refuse(DecodeResult result, PictureKind kind, const QString& shown, QString* error) {
    switch (result) {
        case DecodeResult::Decoded: break;
        case DecodeResult::DecoderMissing:
            return Fail(error,
                        QStringLiteral("Не удаётся прочитать рисунок «%1»: не найдена программа чтения "
                                       "рисунков tovik-decoder."),
                        shown);
        case DecodeResult::CutShort:
            return Fail(error, QStringLiteral("Файл «%1» обрезан: рисунок записан в нём не полностью."), shown);
        case DecodeResult::TooLarge: return FailTooLarge(error, shown);
        case DecodeResult::TimedOut:
            return Fail(error,
                        QStringLiteral("Не удаётся прочитать рисунок «%1»: чтение заняло слишком много "
                                       "времени и было прервано."),
                        shown);
        case DecodeResult::Cancelled:
            return Fail(error, QStringLiteral("Чтение рисунка «%1» прервано."), shown);
        case DecodeResult::Busy:
            return Fail(error, QStringLiteral("Рисунок «%1» не открыт: программа ещё читает другой рисунок."),
                        shown);
        case DecodeResult::Rejected:
        case DecodeResult::Crashed:
        case DecodeResult::BadOutput: break;
    }
    if (kind == PictureKind::Wmf || kind == PictureKind::Emf)
        return Fail(error,
                    QStringLiteral("Не удаётся прочитать метафайл «%1»: файл повреждён или его формат "
                                   "не поддерживается."),
                    shown);
    return Fail(error, kNotPicture, shown);
}

// Reads the file named path (shown in messages as shown).
bool Load(const QByteArray& path, const QString& shown, QImage* out, QString* error) {
    if (path.isEmpty() || path.contains('\0')) return Fail(error, QStringLiteral("Файл «%1» не найден."), shown);
    // Opened without waiting, so that a FIFO cannot block; only regular files
    // are read. The decoder reads this very file, never a name that may by
    // then stand for another.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Fail(error, QStringLiteral("Файл «%1» не найден."), shown);
        return Fail(error, QStringLiteral("Не удаётся открыть файл «%1»: нет доступа."), shown);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    QByteArray head(kSniffBytes, '\0');
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const ssize_t got = regular ? ::pread(fd, head.data(), static_cast<size_t>(head.size()), 0) : 0;
    if (!regular) return Fail(error, QStringLiteral("«%1» — не файл, а папка или устройство."), shown);
    if (got < 0) return Fail(error, QStringLiteral("Не удаётся прочитать файл «%1»."), shown);
    if (got == 0) return Fail(error, QStringLiteral("Файл «%1» пуст: рисунка в нём нет."), shown);
    if (st.st_size > kMaxPictureFileBytes) return FailTooLarge(error, shown);
    head.truncate(got);

    // Only the formats the program reads go to the decoder, each pinned to
    // the format its first bytes show: an SVG or any other file named .bmp
    // is refused here without being decoded.
    const PictureKind kind = SniffPicture(head);
    if (kind == PictureKind::Other) return Fail(error, kNotPicture, shown);
    QImage img;
    const DecodeResult result = DecodePictureFile(fd, kind, &img);
    if (result != DecodeResult::Decoded) return Refuse(result, kind, shown, error);
    *out = img;
    return true;
}

}  // namespace

bool LoadPictureFile(const QString& path, QImage* out, QString* error) {
    return Load(QFile::encodeName(path), QDir::toNativeSeparators(path), out, error);
}

bool LoadNativePictureFile(const QByteArray& nativePath, QImage* out, QString* error) {
    return Load(nativePath, ShownFileName(nativePath), out, error);
}

}  // namespace tovik

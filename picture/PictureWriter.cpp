#include "picture/PictureWriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "picture/FileName.h"

namespace tovik {

namespace {

enum class Outcome { Written, NotRegular, Failed };

// A file descriptor closed with its owner.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now; false when closing reports a failed write.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Pushes the file's data to the disk. A file system that cannot sync (some
// special file systems) is no error; a failed sync, as on a full or failing
// disk, is.
bool SyncToDisk(int fd) {
    while (::fsync(fd) != 0) {
        if (errno == EINTR) continue;
        return errno == EINVAL || errno == EROFS || errno == ENOTSUP;
    }
    return true;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;  // EFBIG past a file-size limit, ENOSPC, EIO
        p += n;
        left -= n;
    }
    return true;
}

bool Encode(const QImage& image, const char* format, QByteArray* bytes) {
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    const bool bmp = std::strcmp(format, "BMP") == 0;
    return writer.write(bmp ? image.convertToFormat(QImage::Format_RGB32) : image);
}

// The name a path finally stands for: symbolic links in its last part are
// followed, a relative target from the link's folder. A chain too long (or a
// loop) ends at a link, which is then refused as no regular file.
QByteArray FinalTarget(QByteArray name) {
    for (int links = 0; links < 40; ++links) {
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(name.constData(), buffer, sizeof buffer);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof buffer)) return name;
        QByteArray target(buffer, n);
        const qsizetype slash = name.lastIndexOf('/');
        if (!target.startsWith('/') && slash >= 0) target.prepend(name.left(slash + 1));
        name = target;
    }
    return name;
}

// A new file beside the target, named after it with six random characters.
int CreateTemporary(int dirFd, const QByteArray& base, mode_t mode, QByteArray* name) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = base + '.';
        for (int i = 0; i < 6; ++i) name->append(kChars[QRandomGenerator::global()->bounded(62)]);
        const int fd = ::openat(dirFd, name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Puts the written temporary file in the place of the regular file base.
// The two are exchanged in one step and what was replaced is looked at
// afterwards: anything but a regular file, put there since it was checked,
// is put back. The temporary file is gone afterwards, whatever the outcome.
Outcome ReplaceRegular(int dirFd, const QByteArray& temp, const QByteArray& base) {
    const char* t = temp.constData();
    const char* b = base.constData();
    struct stat replaced {};
    Outcome outcome = Outcome::Written;
    if (::renameat2(dirFd, t, dirFd, b, RENAME_EXCHANGE) == 0) {
        if (::fstatat(dirFd, t, &replaced, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(replaced.st_mode)) {
            // Put back, so that the temporary name holds the new file again;
            // should that fail, what it names is not ours to remove.
            if (::renameat2(dirFd, t, dirFd, b, RENAME_EXCHANGE) != 0) return Outcome::NotRegular;
            outcome = Outcome::NotRegular;
        }
    } else if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        outcome = Outcome::Failed;
    } else if (::fstatat(dirFd, b, &replaced, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(replaced.st_mode)) {
        // A file system that cannot exchange: the name is looked at once
        // more right before it is replaced.
        outcome = Outcome::NotRegular;
    } else if (::renameat(dirFd, t, dirFd, b) == 0) {
        return Outcome::Written;
    } else {
        outcome = Outcome::Failed;
    }
    ::unlinkat(dirFd, t, 0);
    return outcome;
}

// Gives the written temporary file the name base, where nothing stood when
// it was checked; whatever has appeared there since is not replaced blindly.
Outcome PlaceNew(int dirFd, const QByteArray& temp, const QByteArray& base) {
    const char* t = temp.constData();
    const char* b = base.constData();
    if (::renameat2(dirFd, t, dirFd, b, RENAME_NOREPLACE) == 0) return Outcome::Written;
    const int failure = errno;
    const bool noFlags = failure == EINVAL || failure == ENOSYS || failure == EOPNOTSUPP;
    struct stat st {};
    if (failure == EEXIST || (noFlags && ::fstatat(dirFd, b, &st, AT_SYMLINK_NOFOLLOW) == 0))
        return ReplaceRegular(dirFd, temp, base);
    if (noFlags && ::renameat(dirFd, t, dirFd, b) == 0) return Outcome::Written;
    ::unlinkat(dirFd, t, 0);
    return Outcome::Failed;
}

Outcome WriteRegularFile(const QByteArray& bytes, const QByteArray& path) {
    const QByteArray target = FinalTarget(path);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray base = target.mid(slash + 1);
    if (base.isEmpty() || base == "." || base == "..") return Outcome::NotRegular;
    const Fd dirFd(::open(dir.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() < 0) return Outcome::Failed;

    // Looked at through a descriptor that opens nothing: a FIFO or a device
    // is not opened, and a link put there meanwhile is not followed.
    struct stat old {};
    bool exists = false;
    {
        const Fd existing(::openat(dirFd.get(), base.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (existing.get() >= 0) {
            if (::fstat(existing.get(), &old) != 0) return Outcome::Failed;
            if (!S_ISREG(old.st_mode)) return Outcome::NotRegular;
            // A file this user may not write is not replaced either.
            if (::faccessat(dirFd.get(), base.constData(), W_OK, AT_EACCESS) != 0) return Outcome::Failed;
            exists = true;
        } else if (errno != ENOENT) {
            return Outcome::Failed;
        }
    }

    // A replaced file keeps its permissions; a new one gets those the umask
    // allows.
    QByteArray temp;
    Fd out(CreateTemporary(dirFd.get(), base, exists ? 0600 : 0666, &temp));
    if (out.get() < 0) return Outcome::Failed;
    bool ok = (!exists || ::fchmod(out.get(), old.st_mode & 0777) == 0) && WriteAll(out.get(), bytes) &&
              SyncToDisk(out.get());
    ok = out.Close() && ok;
    if (!ok) {
        ::unlinkat(dirFd.get(), temp.constData(), 0);
        return Outcome::Failed;
    }
    return exists ? ReplaceRegular(dirFd.get(), temp, base) : PlaceNew(dirFd.get(), temp, base);
}

bool Write(const QImage& image, const QByteArray& path, const QString& shown, const char* format,
           QString* error) {
    QByteArray bytes;
    Outcome outcome = Outcome::Failed;
    if (Encode(image, format, &bytes) && !bytes.isEmpty() && !path.isEmpty() && !path.contains('\0'))
        outcome = WriteRegularFile(bytes, path);
    if (outcome == Outcome::Written) return true;
    if (error)
        *error = outcome == Outcome::NotRegular
                     ? QCoreApplication::translate("tovik::PictureWriter",
                                                   "Не удаётся сохранить рисунок в «%1»: это не обычный файл, "
                                                   "а папка, канал или устройство. Выберите другое имя файла.")
                           .arg(shown)
                     : QCoreApplication::translate("tovik::PictureWriter",
                                                   "Не удаётся сохранить рисунок в файл «%1»: запись в него "
                                                   "невозможна.")
                           .arg(shown);
    return false;
}

}  // namespace

bool WritePictureFile(const QImage& image, const QString& path, const char* format, QString* error) {
    return Write(image, QFile::encodeName(path), QDir::toNativeSeparators(path), format, error);
}

bool WriteNativePictureFile(const QImage& image, const QByteArray& nativePath, const char* format, QString* error) {
    return Write(image, nativePath, ShownFileName(nativePath), format, error);
}

}  // namespace tovik

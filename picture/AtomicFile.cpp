#include "picture/AtomicFile.h"

#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik {

namespace {

using Outcome = AtomicFile::Outcome;

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

}  // namespace

void AtomicFile::FdDevice::Attach(int fd) {
    fd_ = fd;
    failed_ = false;
    buffer_.clear();
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool AtomicFile::FdDevice::Drain() {
    const char* p = buffer_.constData();
    qsizetype left = buffer_.size();
    while (left > 0 && !failed_) {
        const ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) failed_ = true;  // EFBIG past a file-size limit, ENOSPC, EIO
        else p += n, left -= n;
    }
    buffer_.clear();
    return !failed_;
}

qint64 AtomicFile::FdDevice::writeData(const char* data, qint64 size) {
    constexpr qsizetype Capacity = 1 << 16;
    if (failed_) return -1;
    buffer_.append(data, size);
    if (buffer_.size() >= Capacity && !Drain()) {
        setErrorString(QStringLiteral("write failed"));
        return -1;
    }
    return size;
}

AtomicFile::AtomicFile(QByteArray nativePath) : path_(std::move(nativePath)) {}

AtomicFile::~AtomicFile() { Abandon(); }

void AtomicFile::Abandon() {
    if (device_.isOpen()) device_.close();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (dirFd_ >= 0) {
        if (!temp_.isEmpty()) ::unlinkat(dirFd_, temp_.constData(), 0);
        ::close(dirFd_);
    }
    dirFd_ = -1;
    temp_.clear();
}

AtomicFile::Outcome AtomicFile::Open() {
    Abandon();
    if (path_.isEmpty() || path_.contains('\0')) return Outcome::Failed;
    const QByteArray target = FinalTarget(path_);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    base_ = target.mid(slash + 1);
    if (base_.isEmpty() || base_ == "." || base_ == "..") return Outcome::NotRegular;
    dirFd_ = ::open(dir.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0) return Outcome::Failed;

    // Looked at through a descriptor that opens nothing: a FIFO or a device
    // is not opened, and a link put there meanwhile is not followed.
    struct stat old {};
    exists_ = false;
    {
        const Fd existing(::openat(dirFd_, base_.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (existing.get() >= 0) {
            if (::fstat(existing.get(), &old) != 0) return Outcome::Failed;
            if (!S_ISREG(old.st_mode)) return Outcome::NotRegular;
            // A file this user may not write is not replaced either.
            if (::faccessat(dirFd_, base_.constData(), W_OK, AT_EACCESS) != 0) return Outcome::Failed;
            exists_ = true;
        } else if (errno != ENOENT) {
            return Outcome::Failed;
        }
    }

    // A replaced file keeps its permissions; a new one gets those the umask
    // allows.
    fd_ = CreateTemporary(dirFd_, base_, exists_ ? 0600 : 0666, &temp_);
    if (fd_ < 0) {
        temp_.clear();
        return Outcome::Failed;
    }
    if (exists_ && ::fchmod(fd_, old.st_mode & 0777) != 0) return Outcome::Failed;
    device_.Attach(fd_);
    return Outcome::Written;
}

AtomicFile::Outcome AtomicFile::Commit() {
    if (fd_ < 0 || !device_.isOpen()) return Outcome::Failed;
    // A write that failed (a full disk, a file-size limit) fails the whole;
    // the buffer is pushed out, and the data to the disk.
    bool ok = device_.Drain();
    device_.close();
    ok = ok && SyncToDisk(fd_);
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    if (!ok) return Outcome::Failed;
    const QByteArray temp = temp_;
    temp_.clear();  // placed or removed by the calls below
    return exists_ ? ReplaceRegular(dirFd_, temp, base_) : PlaceNew(dirFd_, temp, base_);
}

}  // namespace tovik

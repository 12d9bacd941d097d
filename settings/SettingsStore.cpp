#include "settings/SettingsStore.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QVariant>
#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace tovik {

namespace {

const QString Organisation = QStringLiteral("Quillfeather");
const QString Application = QStringLiteral("Tovik");

QString FromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Key paths compare without regard to letter case, as in the registry.
bool IsProgramKey(std::string_view keyName) {
    return FromUtf8(keyName).compare(QLatin1String(SettingsStore::KeyPath), Qt::CaseInsensitive) == 0;
}

// A key path as a group of a settings file: "A\B" becomes "A/B/".
QString GroupOf(std::string_view keyName) {
    QString group = FromUtf8(keyName);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (group.startsWith(QLatin1Char('/'))) group.remove(0, 1);
    while (group.endsWith(QLatin1Char('/'))) group.chop(1);
    if (!group.isEmpty()) group += QLatin1Char('/');
    return group;
}

// The text of a stored value; nothing for a value that is not text.
std::optional<QString> TextOf(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QString:
            return value.toString();
        case QMetaType::QStringList:
            // A hand-written line such as "FileName=a, b.png" reads back as a
            // list; joined again it gives the text that was written.
            return value.toStringList().join(QStringLiteral(", "));
        case QMetaType::QByteArray:
            return QString::fromUtf8(value.toByteArray());
        default:
            return std::nullopt;
    }
}

// One part of the store opened at one key: the settings (none when the file
// cannot be used) and the prefix of the key's values in them.
struct Location {
    std::unique_ptr<QSettings> settings;
    QString prefix;
};

// The time one store waits, all told, for lock files that live processes hold.
constexpr int kLockWaitMs = 1000;
constexpr int kLockPollMs = 20;

// No settings file of the program comes near this size; a larger one is
// no settings file, and reading it (QSettings reads it whole, at every open)
// would hold start-up up for seconds.
constexpr qint64 kMaxSettingsFileBytes = 1024 * 1024;

// Absent, or a regular file (a link to one included) of at most
// kMaxSettingsFileBytes: anything else, a FIFO whose opening would block, a
// device, a folder or a huge file, is never handed to QSettings, so it is
// neither read nor written.
bool UsableFile(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return errno == ENOENT;
    return S_ISREG(st.st_mode) && st.st_size <= kMaxSettingsFileBytes;
}

// Removes the temporary files ("Tovik.conf." and six characters) that
// writes killed part-way left beside the file. Only when the file's lock can
// be taken: a live process that holds it may be writing its temporary file.
void RemoveStaleTemporaries(const QString& file) {
    const QString lockPath = file + QStringLiteral(".lock");
    struct stat st {};
    if (::lstat(QFile::encodeName(lockPath).constData(), &st) == 0 && !S_ISREG(st.st_mode)) return;
    QLockFile lock(lockPath);
    if (!lock.tryLock(0)) return;
    const QFileInfo info(file);
    const QString prefix = info.fileName() + QLatin1Char('.');
    const QDir dir = info.dir();
    for (const QString& name : dir.entryList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden)) {
        if (name.size() == prefix.size() + 6 && name != info.fileName() + QStringLiteral(".lock"))
            QFile::remove(dir.filePath(name));
    }
}

}  // namespace

struct SettingsStore::Impl {
    QString directory;  // empty: the real location
    bool keyOpen = false;  // SettingsKey
    bool tidied = false;   // stale temporary files looked for
    int lockWaitLeftMs = kLockWaitMs;
    AccessObserver observer;

    QString UserFile() const {
#ifdef Q_OS_WIN
        if (directory.isEmpty()) return QString();
#endif
        // The file QSettings keeps the user's settings of the organisation
        // and application in.
        if (directory.isEmpty())
            return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
                   Organisation + QLatin1Char('/') + Application + QStringLiteral(".conf");
        return directory + QStringLiteral("/Tovik.conf");
    }
    QString MachineFile() const { return directory + QStringLiteral("/Tovik-machine.conf"); }

    // True when the file's lock file is absent, or left by a process that is
    // gone (it is removed then). A lock that a live process holds is waited
    // for, a second at most over the life of the store; QSettings itself
    // would wait half a minute for a stale lock before taking it over, and
    // for ever on a lock file that is no regular file.
    bool LockCleared(const QString& file) {
        const QString lockPath = file + QStringLiteral(".lock");
        const QDeadlineTimer deadline(lockWaitLeftMs);
        for (;;) {
            struct stat st {};
            if (::lstat(QFile::encodeName(lockPath).constData(), &st) != 0) return errno == ENOENT;
            if (!S_ISREG(st.st_mode)) return false;
            // Removed only when no live process has it locked.
            if (QLockFile(lockPath).removeStaleLockFile()) return true;
            lockWaitLeftMs = static_cast<int>(deadline.remainingTime());
            if (lockWaitLeftMs <= 0) return false;
            QThread::msleep(kLockPollMs);
        }
    }

    // The settings over a file; none when it cannot be used. QSettings reads
    // without the lock, but writes under it: a write waits for the lock to
    // clear, and is not made while it stays.
    std::unique_ptr<QSettings> Open(const QString& file, bool write) {
        if (!UsableFile(file) || (!LockCleared(file) && write)) return nullptr;
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    }

    std::unique_ptr<QSettings> OpenUser(bool write) {
#ifdef Q_OS_WIN
        if (directory.isEmpty())
            return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, Organisation,
                                               Application);
#endif
        // The user's file alone: no organisation-wide or system files.
        return Open(UserFile(), write);
    }

    Location Locate(KeyRoot root, std::string_view keyName) {
        if (root == KeyRoot::CurrentUser && IsProgramKey(keyName)) return {OpenUser(false), QString()};
        if (!directory.isEmpty())
            return {Open(root == KeyRoot::CurrentUser ? UserFile() : MachineFile(), false), GroupOf(keyName)};
#ifdef Q_OS_WIN
        QString path = FromUtf8(keyName);
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const QString hive = root == KeyRoot::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER\\")
                                                          : QStringLiteral("HKEY_LOCAL_MACHINE\\");
        return {std::make_unique<QSettings>(hive + path, QSettings::NativeFormat), QString()};
#else
        if (root == KeyRoot::CurrentUser) return {OpenUser(false), GroupOf(keyName)};
        auto s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::SystemScope,
                                             Organisation, Application);
        s->setFallbacksEnabled(false);
        return {std::move(s), GroupOf(keyName)};
#endif
    }

    void Notify(StoreAccess access, std::string_view name, std::string_view text) const {
        if (observer) observer(access, name, text);
    }
};

SettingsStore::SettingsStore(const QString& directory) : impl_(std::make_unique<Impl>()) {
    impl_->directory = directory;
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::RegPrepare() {
    // QSettings creates the file (and its folder) with the first write.
    impl_->keyOpen = true;
    // The first opening of the key tidies up after writes that were killed.
    if (!impl_->tidied) {
        impl_->tidied = true;
        const QString file = impl_->UserFile();
        if (!file.isEmpty()) RemoveStaleTemporaries(file);
    }
}

void SettingsStore::SetKeyValue(std::string_view name, std::string_view text) {
    if (!impl_->keyOpen) return;
    // Opened for each write and closed right after it, so that QSettings
    // never syncs later on its own, where no lock is checked.
    const std::unique_ptr<QSettings> settings = impl_->OpenUser(true);
    if (!settings) {
        impl_->Notify(StoreAccess::Write, name, text);
        return;
    }
    QSettings& s = *settings;
    const QString valueName = FromUtf8(name);
    const QString value = FromUtf8(text);
    // A text the file already holds, after a write that reached the disk,
    // needs no new write: every trace stores the unchanged drawing step.
    const QVariant stored = s.value(valueName);
    const bool onDisk = s.status() == QSettings::NoError && stored.typeId() == QMetaType::QString &&
                        value.size() <= MaxTextLength && stored.toString() == value;
    if (!onDisk) {
        if (value.size() > MaxTextLength) s.remove(valueName);
        else s.setValue(valueName, value);
        // Write through at once; a failure leaves the file as it was.
        s.sync();
    }
    impl_->Notify(StoreAccess::Write, name, text);
}

bool SettingsStore::GetKeyValue(KeyRoot root, std::string_view keyName, std::string_view valueName,
                                std::string& keyVal) const {
    keyVal.clear();
    bool found = false;
    {
        const Location at = impl_->Locate(root, keyName);
        std::optional<QString> text;
        if (at.settings) text = TextOf(at.settings->value(at.prefix + FromUtf8(valueName)));
        if (text && text->size() <= MaxTextLength) {
            // A terminator stored by another writer is not part of the text.
            if (text->endsWith(QChar(0))) text->chop(1);
            if (!text->isEmpty()) {
                keyVal = text->toStdString();
                found = true;
            }
        }
    }
    impl_->Notify(StoreAccess::Read, valueName, keyVal);
    return found;
}

void SettingsStore::ReleaseSettingsKey() { impl_->keyOpen = false; }

bool SettingsStore::IsKeyOpen() const { return impl_->keyOpen; }

QString SettingsStore::userFileName() const {
#ifdef Q_OS_WIN
    if (impl_->directory.isEmpty()) return impl_->OpenUser(false)->fileName();
#endif
    return impl_->UserFile();
}

QString SettingsStore::machineFileName() const {
    return impl_->directory.isEmpty() ? QString() : impl_->MachineFile();
}

bool SettingsStore::SetMachineValue(std::string_view keyName, std::string_view valueName,
                                    std::string_view text) {
    if (impl_->directory.isEmpty()) return false;
    const std::unique_ptr<QSettings> s = impl_->Open(impl_->MachineFile(), true);
    if (!s) return false;
    s->setValue(GroupOf(keyName) + FromUtf8(valueName), FromUtf8(text));
    s->sync();
    return s->status() == QSettings::NoError;
}

void SettingsStore::SetAccessObserver(AccessObserver observer) { impl_->observer = std::move(observer); }

}  // namespace tovik

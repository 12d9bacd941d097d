#include "settings/SettingsStore.h"

#include <QByteArray>
#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <optional>

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

// One part of the store opened at one key: the settings and the prefix of
// the key's values in them.
struct Location {
    std::unique_ptr<QSettings> settings;
    QString prefix;
};

}  // namespace

struct SettingsStore::Impl {
    QString directory;  // empty: the real location
    std::unique_ptr<QSettings> key;  // SettingsKey while it is open
    AccessObserver observer;

    QString UserFile() const { return directory + QStringLiteral("/Tovik.conf"); }
    QString MachineFile() const { return directory + QStringLiteral("/Tovik-machine.conf"); }

    std::unique_ptr<QSettings> OpenUser() const {
        if (!directory.isEmpty()) return std::make_unique<QSettings>(UserFile(), QSettings::IniFormat);
        auto s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             Organisation, Application);
        // The user's values only: nothing from organisation-wide or system files.
        s->setFallbacksEnabled(false);
        return s;
    }

    Location Locate(KeyRoot root, std::string_view keyName) const {
        if (root == KeyRoot::CurrentUser && IsProgramKey(keyName)) return {OpenUser(), QString()};
        if (!directory.isEmpty()) {
            const QString file = root == KeyRoot::CurrentUser ? UserFile() : MachineFile();
            return {std::make_unique<QSettings>(file, QSettings::IniFormat), GroupOf(keyName)};
        }
#ifdef Q_OS_WIN
        QString path = FromUtf8(keyName);
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const QString hive = root == KeyRoot::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER\\")
                                                          : QStringLiteral("HKEY_LOCAL_MACHINE\\");
        return {std::make_unique<QSettings>(hive + path, QSettings::NativeFormat), QString()};
#else
        if (root == KeyRoot::CurrentUser) return {OpenUser(), GroupOf(keyName)};
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
    if (!impl_->key) impl_->key = impl_->OpenUser();
}

void SettingsStore::SetKeyValue(std::string_view name, std::string_view text) {
    if (!impl_->key) return;
    QSettings& s = *impl_->key;
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
        std::optional<QString> text = TextOf(at.settings->value(at.prefix + FromUtf8(valueName)));
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

void SettingsStore::ReleaseSettingsKey() { impl_->key.reset(); }

bool SettingsStore::IsKeyOpen() const { return impl_->key != nullptr; }

QString SettingsStore::userFileName() const { return impl_->OpenUser()->fileName(); }

QString SettingsStore::machineFileName() const {
    return impl_->directory.isEmpty() ? QString() : impl_->MachineFile();
}

bool SettingsStore::SetMachineValue(std::string_view keyName, std::string_view valueName,
                                    std::string_view text) {
    if (impl_->directory.isEmpty()) return false;
    QSettings s(impl_->MachineFile(), QSettings::IniFormat);
    s.setValue(GroupOf(keyName) + FromUtf8(valueName), FromUtf8(text));
    s.sync();
    return s.status() == QSettings::NoError;
}

void SettingsStore::SetAccessObserver(AccessObserver observer) { impl_->observer = std::move(observer); }

}  // namespace tovik

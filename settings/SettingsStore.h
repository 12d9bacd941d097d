#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>


class QSettings;

namespace tovik {

// The part of the store a lookup reads.
enum class KeyRoot {
    CurrentUser,   // the user's own settings
    LocalMachine,  // the machine-wide part
};

// What a store access was, for observers.
enum class StoreAccess { Read, Write };

// The program's settings: text values under the key
// "SOFTWARE\Quillfeather\Tovik" of the current user's part of the store.
//
// Texts are UTF-8 and are counted in UTF-16 code units (the characters of
// a path, Cyrillic letters included). Every write reaches the disk before
// SetKeyValue returns: QSettings saves into a temporary file and renames
// it over the old one, so the file is never left half-written. Failures
// are silent: an unreadable, unwritable or damaged file reads as far as it
// can be read (nothing, at worst) and the program runs on its defaults. A
// file that exists but cannot be read is never overwritten; a damaged one
// is rewritten with the values that could be read at the next write. A
// write that could not be saved stays visible to reads for the rest of the
// run (QSettings keeps it) and is saved with the next write that succeeds.
//
// Nothing here can block for long: a settings file that is not a regular
// file (a FIFO, a device, a folder), or one of more than a megabyte, is
// never opened and is ignored like an unreadable one (never overwritten);
// the first RegPrepare removes the temporary files of writes that were
// killed part-way, unless a live process holds the file's lock; a lock file left by a process that is gone is removed; a
// lock that a live process holds is waited for a second at most over the
// life of the store, and while it stays nothing is written.
class SettingsStore {
public:
    static constexpr const char* KeyPath = "SOFTWARE\\Quillfeather\\Tovik";
    static constexpr int MaxTextLength = 1024;

    // With an empty directory the store lives where QSettings keeps the
    // user's settings of organisation "Quillfeather", application "Tovik"
    // (the registry key HKEY_CURRENT_USER\Software\Quillfeather\Tovik on
    // Windows, a text file in the user's configuration directory elsewhere),
    // and the machine-wide part is the system's (the registry's
    // HKEY_LOCAL_MACHINE on Windows, QSettings' system scope elsewhere).
    // Tests pass a directory of their own: the user's part is then the file
    // "Tovik.conf" in it and the machine-wide part the file
    // "Tovik-machine.conf".
    explicit SettingsStore(const QString& directory = QString());
    ~SettingsStore();

    // Opens SettingsKey; an open key stays open.
    void RegPrepare();
    // Stores a text under SettingsKey; without an open key nothing is
    // written. A text of more than MaxTextLength characters is not stored:
    // the value is removed instead, so that it reads as not found (as a
    // stored over-long text would) and never as a cut text that names
    // another file.
    void SetKeyValue(std::string_view name, std::string_view text);
    // Reads one text value of the key keyName under root. Not found: a
    // missing value, one that is not text, one of more than MaxTextLength
    // characters, and one that is empty once a trailing terminator is
    // dropped.
    bool GetKeyValue(KeyRoot root, std::string_view keyName, std::string_view valueName,
                     std::string& keyVal) const;
    // Release of SettingsKey: closes the open key, if one is open.
    void ReleaseSettingsKey();
    bool IsKeyOpen() const;

    // Where the user's part lives: a file path, or on Windows the registry
    // path of the key.
    QString userFileName() const;
    // Where the machine-wide part lives for a store over a directory.
    QString machineFileName() const;
    // Writes a value of the machine-wide part, for tests: only a store over
    // a directory of its own writes; the real machine-wide part is never
    // touched. Returns whether the value reached the file.
    bool SetMachineValue(std::string_view keyName, std::string_view valueName,
                         std::string_view text);

    // Called after every read (with the text found, empty when not found)
    // and every write of a value, in their order; tests use it.
    using AccessObserver =
        std::function<void(StoreAccess access, std::string_view name, std::string_view text)>;
    void SetAccessObserver(AccessObserver observer);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tovik

#pragma once

#include <QString>
#include <memory>
#include <string>
#include <string_view>

#include "model/Platform.h"

class QSettings;

namespace tovik {

// The part of the store a lookup reads.
enum class KeyRoot {
    CurrentUser,   // the user's own settings
    LocalMachine,  // the machine-wide part
};

// The program's settings: text values under the key
// "SOFTWARE\Quillfeather\Tovik" of the current user's part of the store.
class SettingsStore : public SettingsWriter {
public:
    static constexpr const char* KeyPath = "SOFTWARE\\Quillfeather\\Tovik";
    static constexpr int MaxTextLength = 1024;

    // With an empty directory the store lives where QSettings keeps the
    // user's settings of organisation "Quillfeather", application "Tovik";
    // tests pass a directory of their own.
    explicit SettingsStore(const QString& directory = QString());
    ~SettingsStore() override;

    void RegPrepare() override;
    void SetKeyValue(std::string_view name, std::string_view text) override;
    bool GetKeyValue(KeyRoot root, std::string_view keyName, std::string_view valueName,
                     std::string& keyVal) const;
    // Release of SettingsKey: closes the open key, if one is open.
    void ReleaseSettingsKey();
    bool IsKeyOpen() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tovik

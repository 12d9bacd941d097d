#include "settings/SettingsStore.h"

#include <map>

namespace tovik {

// Placeholder until the QSettings backend lands: values live in memory.
struct SettingsStore::Impl {
    std::map<std::string, std::string, std::less<>> values;
    bool open = false;
};

SettingsStore::SettingsStore(const QString&) : impl_(std::make_unique<Impl>()) {}
SettingsStore::~SettingsStore() = default;

void SettingsStore::RegPrepare() { impl_->open = true; }

void SettingsStore::SetKeyValue(std::string_view name, std::string_view text) {
    if (!impl_->open) return;
    impl_->values[std::string(name)] = std::string(text);
}

bool SettingsStore::GetKeyValue(KeyRoot root, std::string_view, std::string_view valueName,
                                std::string& keyVal) const {
    keyVal.clear();
    if (root != KeyRoot::CurrentUser) return false;
    auto it = impl_->values.find(valueName);
    if (it == impl_->values.end() || it->second.empty()) return false;
    keyVal = it->second;
    return true;
}

void SettingsStore::ReleaseSettingsKey() { impl_->open = false; }
bool SettingsStore::IsKeyOpen() const { return impl_->open; }

}  // namespace tovik

// Fuzz target: the settings store reading a settings file of any content,
// then writing a value into it.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/SettingsStore.h"

namespace {

const char* const kNames[] = {"CalcSpeed", "DrawSpeed", "TimeLimit", "MaxTension",
                              "PartDimmension", "MaxCharge", "FileName"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovik;
    // In memory where that is possible: every write of the store syncs.
    static QTemporaryDir root((QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
                              QStringLiteral("/tovik-settings-fuzz-XXXXXX"));
    static int run = 0;
    // A folder of its own for every input: QSettings keeps what it read of a
    // file by its name.
    const QString dir = root.filePath(QString::number(run++));
    QDir().mkpath(dir);
    {
        QFile file(dir + "/Tovik.conf");
        if (!file.open(QIODevice::WriteOnly)) std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    {
        SettingsStore store(dir);
        for (const char* name : kNames) {
            std::string text;
            const bool found = store.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, name, text);
            if (found != !text.empty()) std::abort();
            if (QString::fromStdString(text).size() > SettingsStore::MaxTextLength) std::abort();
        }
        store.RegPrepare();
        store.SetKeyValue("FileName", "/pictures/поле.bmp");
    }
    // What was written reads back, whatever else the file held.
    std::string text;
    if (!SettingsStore(dir).GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "FileName", text) ||
        text != "/pictures/поле.bmp")
        std::abort();
    QDir(dir).removeRecursively();
    return 0;
}

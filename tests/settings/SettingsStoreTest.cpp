#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <unistd.h>

#include <sys/stat.h>

#include "settings/SettingsStore.h"

namespace tovik {
namespace {

using namespace std::string_literals;

// A store over a temporary directory, and a raw view of its file.
struct Store {
    QTemporaryDir dir;
    SettingsStore store{dir.path()};

    bool Get(const std::string& name, std::string& text, KeyRoot root = KeyRoot::CurrentUser,
             const char* key = SettingsStore::KeyPath) const {
        return store.GetKeyValue(root, key, name, text);
    }
    void Set(const std::string& name, const std::string& text) {
        store.RegPrepare();
        store.SetKeyValue(name, text);
    }
    QByteArray FileBytes() const {
        QFile f(store.userFileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST(SettingsStore, TextsRoundTrip) {
    std::string cyrillic1024;
    for (int i = 0; i < 1024; ++i) cyrillic1024 += "ж";  // 1024 letters, 2048 bytes
    const std::string path = "/home/пользователь/Рисунки/поле ёж 1,5.bmp";
    const struct { std::string written; bool found; std::string read; } rows[] = {
        {"25", true, "25"},
        {"", false, ""},  // an empty value reads as not found
        {" 2.5 s ", true, " 2.5 s "},
        {path, true, path},
        {std::string(1024, 'x'), true, std::string(1024, 'x')},
        {std::string(1019, 'x') + "\n\"=;\\", true, std::string(1019, 'x') + "\n\"=;\\"},
        {cyrillic1024, true, cyrillic1024},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.written.substr(0, 40));
        Store s;
        s.Set("Value", r.written);
        // A fresh store over the same file reads what reached the disk.
        SettingsStore reopened(s.dir.path());
        std::string text = "stale";
        EXPECT_EQ(reopened.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "Value", text), r.found);
        EXPECT_EQ(text, r.read);
    }
}

TEST(SettingsStore, TwentyFiveIsStoredAsExactlyTwoCharacters) {
    Store s;
    s.Set("CalcSpeed", "25");
    EXPECT_EQ(QSettings(s.store.userFileName(), QSettings::IniFormat).value("CalcSpeed"),
              QVariant(QStringLiteral("25")));
    EXPECT_TRUE(s.FileBytes().contains("CalcSpeed=25\n"));
}

TEST(SettingsStore, ValuesOfOtherWritersFollowTheReadingRules) {
    const struct { QVariant planted; bool found; std::string read; } rows[] = {
        {QString::fromUtf8("25\0", 3), true, "25"},                    // a terminator is dropped
        {QString::fromUtf8("2\0\0", 3), true, "2\0"s},                  // only one of them
        {QString(QChar(0)), false, ""},                                  // nothing left: not found
        {QString(1025, QChar('x')), false, ""},                          // too long
        {QString(1024, QChar('x')) + QChar(0), false, ""},              // too long with its terminator
        {QString(1023, QChar('x')) + QChar(0), true, std::string(1023, 'x')},
        {QStringList{"1", "5"}, true, "1, 5"},                          // a hand-written list
        {QByteArray("12"), true, "12"},
        {QVariant(42), false, ""},                                       // not a text
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.planted.toString().left(20).toStdString());
        Store s;
        QSettings(s.store.userFileName(), QSettings::IniFormat).setValue("V", r.planted);
        std::string text = "stale";
        EXPECT_EQ(s.Get("V", text), r.found);
        EXPECT_EQ(text, r.read);
    }
}

TEST(SettingsStore, NameNeverWrittenAndOtherKeysAreNotFound) {
    Store s;
    s.Set("CalcSpeed", "8");
    std::string text = "stale";
    EXPECT_FALSE(s.Get("DrawSpeed", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(s.Get("CalcSpeed", text, KeyRoot::CurrentUser, "SOFTWARE\\Other"));
    EXPECT_FALSE(s.Get("CalcSpeed", text, KeyRoot::LocalMachine));
    // The key path is matched without regard to case, as in the registry.
    EXPECT_TRUE(s.Get("CalcSpeed", text, KeyRoot::CurrentUser, "software\\quillfeather\\tovik"));
    EXPECT_EQ(text, "8");
}

TEST(SettingsStore, AnOverLongTextLeavesNoValueBehind) {
    Store s;
    s.Set("FileName", "/pictures/a.bmp");
    s.store.SetKeyValue("FileName", "/" + std::string(1030, 'd') + "/a.bmp");
    std::string text;
    EXPECT_FALSE(s.Get("FileName", text));
    EXPECT_FALSE(s.FileBytes().contains("FileName"));
    EXPECT_FALSE(s.FileBytes().contains("ddd"));
}

TEST(SettingsStore, KeyIsOpenedOnceAndWritesNeedIt) {
    Store s;
    std::string text;
    s.store.SetKeyValue("CalcSpeed", "8");  // no open key: nothing stored
    EXPECT_FALSE(s.store.IsKeyOpen() || s.Get("CalcSpeed", text));
    s.Set("CalcSpeed", "16");
    s.Set("CalcSpeed", "4");  // the key opened once; the value replaced
    EXPECT_TRUE(s.store.IsKeyOpen() && s.Get("CalcSpeed", text));
    EXPECT_EQ(text, "4");
    s.store.ReleaseSettingsKey();
    s.store.ReleaseSettingsKey();
    EXPECT_FALSE(s.store.IsKeyOpen());
    EXPECT_TRUE(s.Get("CalcSpeed", text));  // reads do not need the key
}

TEST(SettingsStore, AnUnchangedTextIsNotWrittenAgain) {
    Store s;
    const auto inode = [&s] {
        struct stat st {};
        return ::stat(s.store.userFileName().toLocal8Bit().constData(), &st) == 0 ? st.st_ino : 0;
    };
    s.Set("DrawSpeed", "4");
    const auto first = inode();
    ASSERT_NE(first, 0u);
    s.Set("DrawSpeed", "4");  // every file write replaces the file
    EXPECT_EQ(inode(), first);
    s.Set("DrawSpeed", "3");
    EXPECT_NE(inode(), first);
    std::string text;
    ASSERT_TRUE(s.Get("DrawSpeed", text));
    EXPECT_EQ(text, "3");
}

TEST(SettingsStore, UnusableFilesFailSilently) {
    {   // A folder where the file should be: nothing is read, writes do not
        // reach the disk, and nothing else appears.
        Store s;
        ASSERT_TRUE(QDir().mkpath(s.store.userFileName()));
        std::string text;
        EXPECT_FALSE(s.Get("CalcSpeed", text));
        s.Set("CalcSpeed", "16");
        EXPECT_TRUE(QFileInfo(s.store.userFileName()).isDir());
        EXPECT_EQ(QDir(s.dir.path()).entryList(QDir::Files), QStringList());
    }
    {   // A directory that cannot be created (a file stands in its way).
        QTemporaryDir dir;
        ASSERT_TRUE(QFile(dir.path() + "/blocked").open(QIODevice::WriteOnly));
        SettingsStore store(dir.path() + "/blocked/deeper");
        store.RegPrepare();
        store.SetKeyValue("CalcSpeed", "16");
        EXPECT_FALSE(QFileInfo::exists(store.userFileName()));
        EXPECT_EQ(QFileInfo(dir.path() + "/blocked").size(), 0);
    }
}

TEST(SettingsStore, AFileThatCannotBeReadIsNeverOverwritten) {
    QTemporaryDir dir;
    QFile f(dir.path() + "/Tovik.conf");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\nCalcSpeed=16\n");
    f.close();
    ASSERT_TRUE(f.setPermissions(QFileDevice::WriteOwner));
    if (QFile(f.fileName()).open(QIODevice::ReadOnly)) GTEST_SKIP() << "permissions are not enforced for this user";
    SettingsStore store(dir.path());
    std::string text;
    EXPECT_FALSE(store.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "CalcSpeed", text));
    store.RegPrepare();
    store.SetKeyValue("DrawSpeed", "3");
    ASSERT_TRUE(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[General]\nCalcSpeed=16\n"));
}

// Runs f on a thread of its own and tells whether it returned within a bound
// far above what it needs: this catches a call that blocks (for half a
// minute or for ever), not a slow one. unblock frees a blocked call before
// the thread is joined, as often as it blocks again.
bool Returns(const std::function<void()>& f, const std::function<void()>& unblock = {}) {
    std::promise<void> done;
    std::thread thread([&] {
        f();
        done.set_value();
    });
    std::future<void> finished = done.get_future();
    const bool returned = finished.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    while (unblock && finished.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) unblock();
    thread.join();
    return returned;
}

bool WriteCalcSpeed16(const QString& file) {
    QFile conf(file);
    return conf.open(QIODevice::WriteOnly) && conf.write("[General]\nCalcSpeed=16\n") > 0;
}

// What start-up does with the store: read values, write the missing ones.
void StartUpAccesses(const QString& dir, std::string* calcSpeed) {
    SettingsStore store(dir);
    store.RegPrepare();
    for (const char* name : {"CalcSpeed", "DrawSpeed", "TimeLimit", "MaxTension", "PartDimmension", "MaxCharge"}) {
        std::string text;
        if (!store.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, name, text)) store.SetKeyValue(name, "7");
        if (name == std::string("CalcSpeed")) *calcSpeed = text;
    }
    store.ReleaseSettingsKey();
}

TEST(SettingsStore, AFileThatIsNoRegularFileIsIgnoredWithoutBlocking) {
    // A FIFO in place of the file reads as nothing; in place of its lock, it
    // lets the file be read but never written.
    const struct { const char* fifo; const char* calcSpeed; } rows[] = {{"Tovik.conf", ""}, {"Tovik.conf.lock", "16"}};
    for (const auto& [fifo, expected] : rows) {
        SCOPED_TRACE(fifo);
        QTemporaryDir dir;
        const QString path = dir.filePath(fifo);
        ASSERT_TRUE(WriteCalcSpeed16(dir.filePath("Tovik.conf")));
        QFile::remove(path);
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        std::string calcSpeed = "stale";
        EXPECT_TRUE(Returns([&] { StartUpAccesses(dir.path(), &calcSpeed); },
                            [&] { ::close(::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK)); }));
        EXPECT_EQ(calcSpeed, expected);
        EXPECT_TRUE(QFileInfo(path).exists() && !QFileInfo(path).isFile());  // never replaced
        if (*expected) {
            EXPECT_FALSE(QSettings(dir.filePath("Tovik.conf"), QSettings::IniFormat).contains("DrawSpeed"));
        }
    }
}

TEST(SettingsStore, ALockLeftByAKilledProcessIsRemovedAndOneHeldIsWaitedForASecond) {
    {   // Left empty by a process killed while it wrote.
        QTemporaryDir dir;
        ASSERT_TRUE(WriteCalcSpeed16(dir.filePath("Tovik.conf")));
        ASSERT_TRUE(QFile(dir.filePath("Tovik.conf.lock")).open(QIODevice::WriteOnly));
        std::string calcSpeed;
        EXPECT_TRUE(Returns([&] { StartUpAccesses(dir.path(), &calcSpeed); }));
        EXPECT_EQ(calcSpeed, "16");
        EXPECT_EQ(QSettings(dir.filePath("Tovik.conf"), QSettings::IniFormat).value("DrawSpeed"), "7");
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("Tovik.conf.lock")));
    }
    {   // Held by a live writer that does not let go: five writes wait a
        // second in all, change nothing, and the next write after the
        // release goes through.
        QTemporaryDir dir;
        QLockFile held(dir.filePath("Tovik.conf.lock"));
        ASSERT_TRUE(held.tryLock());
        SettingsStore store(dir.path());
        store.RegPrepare();
        EXPECT_TRUE(Returns([&] {
            for (int i = 0; i < 5; ++i) store.SetKeyValue("CalcSpeed", std::to_string(i));
        }));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("Tovik.conf")));
        held.unlock();
        store.SetKeyValue("CalcSpeed", "32");
        EXPECT_EQ(QSettings(dir.filePath("Tovik.conf"), QSettings::IniFormat).value("CalcSpeed"), "32");
    }
}

TEST(SettingsStore, AHugeFileIsNeitherReadNorWrittenAndKilledWritesLeaveNoLitter) {
    {   // Read whole at every access, 2 MB would hold start-up up.
        QTemporaryDir dir;
        const QByteArray huge = "[General]\nCalcSpeed=16\n" + QByteArray(2 << 20, '\n');
        QFile conf(dir.filePath("Tovik.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly) && conf.write(huge) == huge.size());
        conf.close();
        std::string calcSpeed = "stale";
        EXPECT_TRUE(Returns([&] { StartUpAccesses(dir.path(), &calcSpeed); }));
        EXPECT_EQ(calcSpeed, "");  // defaults
        ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
        EXPECT_EQ(conf.readAll(), huge);
    }
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "lock held" : "no lock");
        QTemporaryDir dir;
        for (const char* name : {"Tovik.conf.a1B2c3", "Tovik.conf.keep-me"})
            ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        QLockFile lock(dir.filePath("Tovik.conf.lock"));
        ASSERT_TRUE(!held || lock.tryLock());
        SettingsStore store(dir.path());
        store.RegPrepare();
        EXPECT_EQ(QFileInfo::exists(dir.filePath("Tovik.conf.a1B2c3")), held);
        EXPECT_TRUE(QFileInfo::exists(dir.filePath("Tovik.conf.keep-me")));
    }
}

TEST(SettingsStore, TheUsersFileIsWhereQSettingsKeepsIt) {
    EXPECT_EQ(SettingsStore().userFileName(),
              QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillfeather", "Tovik").fileName());
}

TEST(SettingsStore, MachineWidePartIsSeparateAndRedirected) {
    Store s;
    const char* key = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    ASSERT_TRUE(s.store.SetMachineValue(key, "PATH", "C:\\Program Files\\msinfo32.exe"));
    std::string text;
    EXPECT_TRUE(s.Get("PATH", text, KeyRoot::LocalMachine, key));
    EXPECT_EQ(text, "C:\\Program Files\\msinfo32.exe");
    EXPECT_FALSE(s.Get("PATH", text, KeyRoot::CurrentUser, key));
    EXPECT_FALSE(s.Get("PATH", text, KeyRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools"));
    EXPECT_FALSE(s.Get("PATH", text));
    EXPECT_TRUE(s.store.userFileName().startsWith(s.dir.path()));
    EXPECT_TRUE(s.store.machineFileName().startsWith(s.dir.path()));
    // The real machine-wide part is never written.
    EXPECT_FALSE(SettingsStore().SetMachineValue("SOFTWARE\\Tovik test", "V", "x"));
}

}  // namespace
}  // namespace tovik

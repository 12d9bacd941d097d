#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <string>

#include <sys/stat.h>

#include "settings/SettingsStore.h"

namespace tovik {
namespace {

using namespace std::string_literals;

std::string Repeat(const std::string& piece, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

// A store over a temporary directory, and a raw view of its file.
struct Store {
    QTemporaryDir dir;
    SettingsStore store{dir.path()};

    bool Get(const std::string& name, std::string& text) const {
        return store.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, name, text);
    }
    void Set(const std::string& name, const std::string& text) {
        store.RegPrepare();
        store.SetKeyValue(name, text);
    }
    // Writes a value as another program might, bypassing the store's rules.
    void PlantRaw(const QString& name, const QVariant& value) {
        QSettings raw(store.userFileName(), QSettings::IniFormat);
        raw.setValue(name, value);
    }
    QByteArray FileBytes() const {
        QFile f(store.userFileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST(SettingsStore, TextsRoundTrip) {
    const std::string path = "/home/пользователь/Рисунки/поле ёж 1,5.bmp";
    const struct { std::string written; bool found; std::string read; } rows[] = {
        {"25", true, "25"},
        {"", false, ""},  // an empty value reads as not found
        {"abc", true, "abc"},
        {" 2.5 s ", true, " 2.5 s "},
        {path, true, path},
        {std::string(1024, 'x'), true, std::string(1024, 'x')},
        {std::string(1019, 'x') + "\n\"=;\\", true, std::string(1019, 'x') + "\n\"=;\\"},
        {Repeat("ж", 1024), true, Repeat("ж", 1024)},  // 1024 letters, 2048 bytes
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.written.substr(0, 40));
        Store s;
        s.Set("Value", r.written);
        // A fresh store over the same file reads what reached the disk.
        SettingsStore reopened(s.dir.path());
        std::string text = "stale";
        EXPECT_EQ(reopened.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "Value", text),
                  r.found);
        EXPECT_EQ(text, r.read);
    }
}

TEST(SettingsStore, TwentyFiveIsStoredAsExactlyTwoCharacters) {
    Store s;
    s.Set("CalcSpeed", "25");
    QSettings raw(s.store.userFileName(), QSettings::IniFormat);
    EXPECT_EQ(raw.value("CalcSpeed"), QVariant(QStringLiteral("25")));
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
        s.PlantRaw("V", r.planted);
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
    EXPECT_FALSE(s.store.GetKeyValue(KeyRoot::CurrentUser, "SOFTWARE\\Other", "CalcSpeed", text));
    EXPECT_FALSE(s.store.GetKeyValue(KeyRoot::LocalMachine, SettingsStore::KeyPath, "CalcSpeed", text));
    // The key path is matched without regard to case, as in the registry.
    EXPECT_TRUE(s.store.GetKeyValue(KeyRoot::CurrentUser, "software\\quillfeather\\tovik", "CalcSpeed", text));
    EXPECT_EQ(text, "8");
}

TEST(SettingsStore, AnOverLongTextLeavesNoValueBehind) {
    Store s;
    s.Set("FileName", "/pictures/a.bmp");
    const std::string longPath = "/" + std::string(1030, 'd') + "/a.bmp";
    s.store.SetKeyValue("FileName", longPath);
    std::string text;
    EXPECT_FALSE(s.Get("FileName", text));
    EXPECT_FALSE(s.FileBytes().contains("FileName"));
    EXPECT_FALSE(s.FileBytes().contains("ddd"));
}

TEST(SettingsStore, KeyIsOpenedOnceAndWritesNeedIt) {
    Store s;
    EXPECT_FALSE(s.store.IsKeyOpen());
    s.store.SetKeyValue("CalcSpeed", "8");  // no open key: nothing stored
    std::string text;
    EXPECT_FALSE(s.Get("CalcSpeed", text));
    s.store.RegPrepare();
    s.store.RegPrepare();
    EXPECT_TRUE(s.store.IsKeyOpen());
    s.store.SetKeyValue("CalcSpeed", "16");
    s.store.SetKeyValue("CalcSpeed", "4");  // replaces
    EXPECT_TRUE(s.Get("CalcSpeed", text));
    EXPECT_EQ(text, "4");
    s.store.ReleaseSettingsKey();
    EXPECT_FALSE(s.store.IsKeyOpen());
    s.store.ReleaseSettingsKey();
    EXPECT_TRUE(s.Get("CalcSpeed", text));  // reads do not need the key
}

TEST(SettingsStore, EveryWriteIsOnDiskBeforeItReturns) {
    Store s;
    s.store.RegPrepare();
    s.store.SetKeyValue("TimeLimit", ".5");
    s.store.SetKeyValue("FileName", "/tmp/картинка.bmp");
    // The key is still open; the bytes are in the file all the same.
    const QString bytes = QString::fromUtf8(s.FileBytes());
    EXPECT_TRUE(bytes.contains(QStringLiteral("TimeLimit=.5")));
    EXPECT_TRUE(bytes.contains(QStringLiteral("FileName=/tmp/картинка.bmp")));
    // No temporary file is left behind next to it.
    EXPECT_EQ(QDir(s.dir.path()).entryList(QDir::Files), QStringList{"Tovik.conf"});
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

TEST(SettingsStore, DamagedOrUnusableFilesFailSilently) {
    {   // Garbage around readable lines: what can be read is read, and the
        // next write leaves a clean file.
        Store s;
        QFile f(s.store.userFileName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const char garbage[] = "\xff\xfe[[[\x00\x01 garbage\n=\n[General\nCalcSpeed=16\n\x80\x81";
        f.write(garbage, sizeof garbage - 1);
        f.close();
        std::string text;
        EXPECT_TRUE(s.Get("CalcSpeed", text));
        EXPECT_EQ(text, "16");
        s.Set("DrawSpeed", "3");
        const QByteArray bytes = s.FileBytes();
        EXPECT_TRUE(bytes.contains("DrawSpeed=3\n"));
        EXPECT_TRUE(bytes.contains("CalcSpeed=16\n"));
        EXPECT_FALSE(bytes.contains("garbage"));
    }
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
        QFile blocker(dir.path() + "/blocked");
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
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
    if (QFile(f.fileName()).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "permissions are not enforced for this user";
    SettingsStore store(dir.path());
    std::string text;
    EXPECT_FALSE(store.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "CalcSpeed", text));
    store.RegPrepare();
    store.SetKeyValue("DrawSpeed", "3");
    ASSERT_TRUE(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[General]\nCalcSpeed=16\n"));
}

TEST(SettingsStore, MachineWidePartIsSeparateAndRedirected) {
    Store s;
    ASSERT_TRUE(s.store.SetMachineValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                                        "C:\\Program Files\\msinfo32.exe"));
    ASSERT_TRUE(s.store.SetMachineValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                                        "C:\\Tools"));
    std::string text;
    EXPECT_TRUE(s.store.GetKeyValue(KeyRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                    "PATH", text));
    EXPECT_EQ(text, "C:\\Program Files\\msinfo32.exe");
    EXPECT_TRUE(s.store.GetKeyValue(KeyRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location",
                                    "MSINFO", text));
    EXPECT_EQ(text, "C:\\Tools");
    EXPECT_FALSE(s.store.GetKeyValue(KeyRoot::CurrentUser, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                     "PATH", text));
    EXPECT_FALSE(s.store.GetKeyValue(KeyRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools", "PATH",
                                     text));
    EXPECT_FALSE(s.store.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, "PATH", text));
    EXPECT_TRUE(s.store.userFileName().startsWith(s.dir.path()));
    EXPECT_TRUE(s.store.machineFileName().startsWith(s.dir.path()));
    // The real machine-wide part is never written.
    SettingsStore real;
    EXPECT_FALSE(real.SetMachineValue("SOFTWARE\\Tovik test", "V", "x"));
}

}  // namespace
}  // namespace tovik

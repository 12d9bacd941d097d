#include <QDir>
#include <QFile>
#include <QSettings>
#include <cfloat>
#include <cstdint>
#include <csignal>
#include <limits>
#include <sys/stat.h>

#include "gui/TestWindow.h"
#include "picture/PictureDecoder.h"
#include "picture/PictureFixtures.h"

namespace tovik {
namespace {

using namespace std::string_literals;
using test::Parameter;

void Plant(SettingsStore& store, const char* name, const std::string& text) {
    store.RegPrepare();
    store.SetKeyValue(name, text);
    store.ReleaseSettingsKey();
}

// The first start stores all seven values, the picture's name as an empty
// text, and works on what it stored.
TEST(StartUp, FirstRunStoresEveryDefault) {
    test::TestWindow t;
    EXPECT_TRUE(t.errors.isEmpty());
    EXPECT_FALSE(t.store->IsKeyOpen());
    for (const char* name : {"CalcSpeed", "DrawSpeed", "TimeLimit", "MaxTension", "PartDimmension", "MaxCharge"})
        EXPECT_EQ(Parameter(t.state, name), std::stod(test::Stored(*t.store, name))) << name;
    QSettings raw(t.store->userFileName(), QSettings::IniFormat);
    EXPECT_EQ(raw.allKeys().size(), 7);
    EXPECT_EQ(raw.value("FileName"), QVariant(QString("")));
}

TEST(StartUp, StoredNumbersFollowTheRulesAndStayAsStored) {
    const double i32 = std::numeric_limits<std::int32_t>::max();
    const struct { const char* name; const char* text; double value; int slider; } rows[] = {
        // slider: the position of sldrCalc or sldrDraw, -1 for the others
        {"CalcSpeed", "16", 16, 1}, {"CalcSpeed", "0", 1, 5}, {"CalcSpeed", "-8", 8, 2},
        {"CalcSpeed", "6", 6, 2}, {"CalcSpeed", "45", 45, 0}, {"CalcSpeed", "46", 46, 0},
        {"CalcSpeed", "1e30", i32, 0}, {"DrawSpeed", "3", 3, 8}, {"DrawSpeed", "20", 20, 1},
        {"DrawSpeed", "99999", 32767, 1}, {"DrawSpeed", "-0.5", 1, 10},
        {"TimeLimit", "abc", 1, -1}, {"TimeLimit", "-2.5", 2.5, -1}, {"TimeLimit", "1e39", FLT_MAX, -1},
        {"TimeLimit", "1e-50", 1, -1}, {"MaxTension", "-300", 300, -1}, {"MaxTension", "3.4028235e38", FLT_MAX, -1},
        {"PartDimmension", "-2.5", 3, -1}, {"PartDimmension", "2.5", 2, -1}, {"PartDimmension", "0", 1, -1},
        {"PartDimmension", "1e30", i32, -1}, {"MaxCharge", "-250.5", 250.5, -1}, {"MaxCharge", "-3.5e38", FLT_MAX, -1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.name) + " = " + r.text);
        test::TestWindow t(false);
        Plant(*t.store, r.name, r.text);
        t.Create();
        EXPECT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
        EXPECT_EQ(Parameter(t.state, r.name), r.value);
        if (r.slider >= 0) {
            EXPECT_EQ((r.name == "CalcSpeed"s ? t.c->sldrCalc : t.c->sldrDraw)->value(), r.slider);
        }
        EXPECT_EQ(test::Stored(*t.store, r.name), r.text);  // a found value is not written back
    }
}

bool LoadEnds(test::TestWindow& t) {
    return QTest::qWaitFor([&] { return !t.window->IsLoadingPicture(); }, 15000);
}

// The picture arrives once the window is up, everything else is in place
// before. A file that is gone, hidden or no regular file is dropped
// silently, one that cannot be read with a message.
TEST(StartUp, StoredPictureIsReloadedOnlyWhenItIsAnOrdinaryReadablePicture) {
    const struct { const char* name; const char* kind; bool picture, reported; } rows[] = {
        {"поле.bmp", "picture", true, false}, {"deleted.bmp", "none", false, false},
        {"broken.bmp", "garbage", false, true}, {"folder.bmp", "folder", false, false},
        {".hidden.bmp", "picture", false, false}, {"fifo.bmp", "fifo", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        test::TestWindow t(false);
        const QString path = t.dir.filePath(QString::fromUtf8(r.name));
        QImage blue(40, 30, QImage::Format_RGB32);
        blue.fill(qRgb(0, 0, 255));  // its pixels read 0xFF0000 in pctMain
        QFile garbage(path);
        ASSERT_TRUE(r.kind != "picture"s || blue.save(path, "BMP"));
        ASSERT_TRUE(r.kind != "folder"s || QDir().mkpath(path));
        ASSERT_TRUE(r.kind != "garbage"s || (garbage.open(QIODevice::WriteOnly) && garbage.write("BM no picture") > 0));
        ASSERT_TRUE(r.kind != "fifo"s || mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        garbage.close();
        Plant(*t.store, "FileName", path.toStdString());
        t.Create();
        EXPECT_EQ(t.state.FileName, r.name[0] == '.' ? "" : path.toStdString());
        EXPECT_EQ(t.c->Command3->text(), "Подготовка");
        EXPECT_FALSE(t.store->IsKeyOpen());
        ASSERT_TRUE(LoadEnds(t));
        EXPECT_EQ(t.errors.size(), r.reported ? 1 : 0) << t.errors.join("\n").toStdString();
        EXPECT_EQ(test::Stored(*t.store, "FileName"), r.picture ? path.toStdString() : "");
        EXPECT_EQ(t.state.FileName, r.picture ? path.toStdString() : "");
        EXPECT_EQ(t.c->pctMain->pixel(5, 5), r.picture ? 0xFF0000 : 0);
        EXPECT_FALSE(t.store->IsKeyOpen());
    }
}

// A remembered metafile whose decoder never answers holds nothing up: the
// window shows and works, the pointer says the program is busy, and the
// load ends cleanly however it is ended.
TEST(StartUp, AStuckReloadHoldsNothingUp) {
    for (const char* end : {"Escape", "another picture opened", "window closed"}) {
        SCOPED_TRACE(end);
        test::TestWindow t(false);
        const QString path = t.dir.filePath("last.wmf"), other = t.dir.filePath("other.bmp");
        const QString pidFile = t.dir.filePath("decoder.pid");
        QImage blue(40, 30, QImage::Format_RGB32);
        blue.fill(qRgb(0, 0, 255));
        ASSERT_TRUE(blue.save(other, "BMP"));
        QFile wmf(path);
        ASSERT_TRUE(wmf.open(QIODevice::WriteOnly) && wmf.write(QByteArray("\xD7\xCD\xC6\x9A", 4) + QByteArray(40, '\0')) > 0);
        wmf.close();
        Plant(*t.store, "FileName", path.toStdString());
        // Stuck on the metafile, the real decoder for the rest.
        test::FakeHelper helper(QStringLiteral("case \"$1\" in wmf) echo $$ > '%1'; exec sleep 60;; esac; exec '%2' \"$@\"")
                                    .arg(pidFile, DecoderPath()));
        t.Create();
        t.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(t.window.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(pidFile) && QGuiApplication::overrideCursor(); }));
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QTest::mouseClick(t.c->Command5, Qt::LeftButton);  // "Дополнительно..." opens meanwhile
        EXPECT_NE(t.window->advancedDialog(), nullptr);
        QFile pid(pidFile);
        ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
        const pid_t decoder = pid.readAll().trimmed().toInt();
        if (end == "window closed"s) {
            t.window->close();
            t.window.reset();
            EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(decoder, 0) != 0; }, 2000));
            continue;
        }
        if (end == "Escape"s) QTest::keyClick(t.window.get(), Qt::Key_Escape);
        else t.window->OpenPicture(other);
        ASSERT_TRUE(LoadEnds(t));
        EXPECT_EQ(::kill(decoder, 0), -1);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        if (end == "Escape"s) {
            ASSERT_EQ(t.errors.size(), 1);
            EXPECT_TRUE(t.errors[0].contains("прервано")) << t.errors[0].toStdString();
            EXPECT_EQ(t.state.FileName, "");
            EXPECT_EQ(test::Stored(*t.store, "FileName"), path.toStdString());  // tried again at the next start
        } else {
            EXPECT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
            EXPECT_EQ(t.state.FileName, other.toStdString());
            EXPECT_EQ(t.c->pctMain->pixel(5, 5), 0xFF0000);
        }
    }
}

// A damaged file: what can be read is used, the rest is defaults, and the
// next start reads a repaired file.
TEST(StartUp, ADamagedStoreStillStartsOnDefaults) {
    test::TestWindow t(false);
    QFile f(t.store->userFileName());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const char damaged[] = "\x01\xff[General\nCalcSpeed=16\n=\n[[\nDrawSpeed\n\x80TimeLimit=@Variant(\\0)\n";
    f.write(damaged, sizeof damaged - 1);
    f.close();
    t.Create();
    EXPECT_TRUE(t.errors.isEmpty());
    EXPECT_EQ(t.state.CalcSpeed, 16);
    EXPECT_EQ(t.state.DrawSpeed, 4);
    EXPECT_EQ(t.state.TimeLimit, 10.0f);
    EXPECT_EQ(test::Stored(SettingsStore(t.dir.path()), "TimeLimit"), "10");
}

TEST(StartUp, ExitAndUnloadReleaseTheKeyAndWriteNothing) {
    test::TestWindow t;
    int writes = 0;
    t.store->SetAccessObserver([&](StoreAccess a, std::string_view, std::string_view) {
        writes += a == StoreAccess::Write;
    });
    QTest::mouseClick(t.c->Command1, Qt::LeftButton);  // "Выход"
    EXPECT_EQ(t.exits, 1);
    t.store->RegPrepare();
    t.window->close();
    EXPECT_FALSE(t.store->IsKeyOpen());
    EXPECT_EQ(writes, 0);
}

}  // namespace
}  // namespace tovik

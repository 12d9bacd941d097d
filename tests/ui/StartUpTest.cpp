#include <QDir>
#include <QFile>
#include <QSettings>
#include <cfloat>
#include <cstdint>
#include <limits>

#include "gui/TestWindow.h"

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

TEST(StartUp, StoredPictureIsReloadedOnlyWhenItIsAnOrdinaryReadablePicture) {
    const struct { const char* name; bool picture; const char* kind; } rows[] = {
        {"поле.bmp", true, "picture"}, {"deleted.bmp", false, "none"},
        {"broken.bmp", false, "garbage"}, {"folder.bmp", false, "folder"},
        {".hidden.bmp", false, "picture"},
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
        garbage.close();
        Plant(*t.store, "FileName", path.toStdString());
        t.Create();
        EXPECT_TRUE(t.errors.isEmpty()) << t.errors.join("\n").toStdString();
        EXPECT_EQ(test::Stored(*t.store, "FileName"), r.picture ? path.toStdString() : "");
        EXPECT_EQ(t.state.FileName, r.picture ? path.toStdString() : "");
        EXPECT_EQ(t.c->pctMain->pixel(5, 5), r.picture ? 0xFF0000 : 0);
        EXPECT_FALSE(t.store->IsKeyOpen());
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

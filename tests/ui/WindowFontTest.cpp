#include <QGroupBox>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <map>

#include "gui/TestWindow.h"
#include "ui/AboutBox.h"
#include "ui/AdvancedDialog.h"

namespace tovik {
namespace {

// Room between the text and a button's bevel on either side.
constexpr int ButtonPadding = 2;

// How wide the caption is and how wide it may be, in pixels; fits when the
// text also fits the height.
struct Measure {
    int width = 0;
    int limit = 0;
    bool fits = false;
};

Measure MeasureButton(const QPushButton* b, const QString& text, QSize room) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.rect = QRect(QPoint(), room);
    opt.text = text;
    const QRect contents = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
    const QSize need = b->fontMetrics().size(Qt::TextShowMnemonic, text);
    const int limit = contents.width() - 2 * ButtonPadding;
    return {need.width(), limit, need.width() <= limit && need.height() <= contents.height()};
}

// The title must lie within the frame and above its topmost control.
Measure MeasureFrame(const QGroupBox* g, QSize room) {
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.rect = QRect(QPoint(), room);
    opt.text = g->title();
    opt.textAlignment = g->alignment();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    int firstTop = room.height();
    for (const QWidget* child : g->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        firstTop = std::min(firstTop, child->y());
    const int width = g->fontMetrics().horizontalAdvance(g->title());
    return {width, room.width() - title.left(), opt.rect.contains(title) && title.bottom() < firstTop};
}

Measure MeasureLabel(const QLabel* l, QSize room) {
    const int flags = l->wordWrap() ? int(Qt::TextWordWrap) : 0;
    const QSize need = l->wordWrap() ? l->fontMetrics().boundingRect(QRect(QPoint(), room), flags, l->text()).size()
                                     : l->fontMetrics().size(0, l->text());
    return {need.width(), room.width(), need.width() <= room.width() && need.height() <= room.height()};
}

void ExpectFits(const QWidget* w, const QString& text, const Measure& m) {
    EXPECT_TRUE(m.fits) << w->objectName().toStdString() << ": \"" << text.toStdString() << "\" needs " << m.width
                        << " px of " << m.limit << " in " << w->fontInfo().family().toStdString() << " "
                        << w->fontInfo().pixelSize() << " px";
}

// Every caption the window shows fits its room in the window's own font: its
// control's own size, or for a label sized to its text the room `rooms` gives
// from its left edge to its neighbour on the row.
void ExpectCaptionsFit(const QWidget& window, const std::map<QString, QSize>& rooms) {
    SCOPED_TRACE(window.objectName().toStdString());
    int captions = 0;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        const auto room = rooms.find(w->objectName());
        const QSize size = room == rooms.end() ? w->size() : room->second;
        if (auto* b = qobject_cast<const QPushButton*>(w)) {
            ExpectFits(w, b->text(), MeasureButton(b, b->text(), size));
        } else if (auto* g = qobject_cast<const QGroupBox*>(w)) {
            ExpectFits(w, g->title(), MeasureFrame(g, size));
        } else if (auto* l = qobject_cast<const QLabel*>(w); l && !l->text().isEmpty()) {
            ExpectFits(w, l->text(), MeasureLabel(l, size));
        } else {
            continue;
        }
        ++captions;
    }
    EXPECT_GE(captions, 6);
}

TEST(WindowFont, EveryCaptionOfTheThreeWindowsFitsInEitherLanguage) {
    for (Language language : {Language::Russian, Language::English}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Russian");
        test::TestWindow t;
        const test::InLanguage speaking(language);
        t.window->show();
        // Labels sized to their text may reach their neighbour: "Быстрее" the
        // slider at 56, "Точнее" the frame's edge, the dialog's labels the
        // text boxes at 360.
        ExpectCaptionsFit(*t.window, {{"Label1", {48, 13}}, {"Label2", {47, 13}}, {"Label3", {48, 13}},
                                      {"Label4", {47, 13}}});
        const QString again = QCoreApplication::translate("tovik::MainWindow", "Переподготовка");
        ExpectFits(t.c->Command3, again, MeasureButton(t.c->Command3, again, t.c->Command3->size()));

        QTest::mouseClick(t.c->Command5, Qt::LeftButton);
        QWidget* advanced = t.window->advancedDialog();
        ASSERT_NE(advanced, nullptr);
        ExpectCaptionsFit(*advanced, {{"Label5", {352, 13}}, {"Label6", {352, 13}}, {"Label7", {352, 13}},
                                      {"Label1", {352, 13}}});
        advanced->close();

        QTest::mouseClick(t.c->Command6, Qt::LeftButton);
        QWidget* about = t.window->aboutBox();
        ASSERT_NE(about, nullptr);
        ExpectCaptionsFit(*about, {});
        about->close();
    }
}

// The 24-point mean read-out has its own face, or else the window's.
TEST(WindowFont, TheMeanReadOutTakesItsFaceOrTheWindowsOne) {
    test::TestWindow t;
    const QFont font = t.c->pctMain->findChild<QLabel*>("Label5")->font();
    EXPECT_EQ(font.pointSize(), 24);
    const QString face = QFontInfo(font).family();
    EXPECT_TRUE(face == "MS Sans Serif" || face == QFontInfo(t.window->font()).family()) << face.toStdString();
}

}  // namespace
}  // namespace tovik

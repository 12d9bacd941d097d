#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <cstdio>

#include "gui/TestWindow.h"

namespace tovik {
namespace {

// A caption and the room it has: a control's own size, or for a label sized
// to its text the room from its left edge to its neighbour on the row.
struct Caption {
    const char* name;
    QSize room;
    QString text = {};  // another text the control shows; empty: its own
};

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
Measure MeasureFrame(const QGroupBox* g, const QString& text, QSize room) {
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.rect = QRect(QPoint(), room);
    opt.text = text;
    opt.textAlignment = g->alignment();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    int firstTop = room.height();
    for (const QWidget* child : g->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        firstTop = std::min(firstTop, child->y());
    const int width = g->fontMetrics().horizontalAdvance(text);
    return {width, room.width() - title.left(), opt.rect.contains(title) && title.bottom() < firstTop};
}

Measure MeasureLabel(const QLabel* l, const QString& text, QSize room) {
    const int flags = l->wordWrap() ? int(Qt::TextWordWrap) : 0;
    const QSize need = l->fontMetrics().boundingRect(QRect(QPoint(), room), flags, text).size();
    const QSize plain = l->fontMetrics().size(0, text);
    const int width = l->wordWrap() ? need.width() : plain.width();
    const int height = l->wordWrap() ? need.height() : plain.height();
    return {width, room.width(), width <= room.width() && height <= room.height()};
}

// Every caption of the window fits its room in the window's own font; prints
// the caption that comes closest to its limit.
void ExpectCaptionsFit(const QWidget& window, std::initializer_list<Caption> captions) {
    SCOPED_TRACE(window.objectName().toStdString());
    QString closest;
    Measure worst{0, 1, true};
    for (const Caption& c : captions) {
        SCOPED_TRACE(c.name);
        QWidget* w = window.findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr);
        Measure m;
        QString text = c.text;
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            if (text.isEmpty()) text = b->text();
            m = MeasureButton(b, text, c.room);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (text.isEmpty()) text = g->title();
            m = MeasureFrame(g, text, c.room);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (text.isEmpty()) text = l->text();
            m = MeasureLabel(l, text, c.room);
        } else {
            ADD_FAILURE() << "not a captioned control";
            continue;
        }
        ASSERT_FALSE(text.isEmpty());
        EXPECT_TRUE(m.fits) << "\"" << text.toStdString() << "\" needs " << m.width << " px of "
                            << m.limit << " in " << w->fontInfo().family().toStdString() << " "
                            << w->fontInfo().pixelSize() << " px";
        if (m.width * worst.limit > worst.width * m.limit) {
            worst = m;
            closest = text;
        }
    }
    std::printf("%s: %s %d px, closest \"%s\" %d of %d px\n", qPrintable(window.objectName()),
                qPrintable(window.fontInfo().family()), window.fontInfo().pixelSize(), qPrintable(closest),
                worst.width, worst.limit);
}

QWidget* TopLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

QWidget* OpenWith(QWidget& window, const char* button, const char* opened) {
    auto* b = window.findChild<QPushButton*>(button);
    if (!b) return nullptr;
    QTest::mouseClick(b, Qt::LeftButton);
    return TopLevel(opened);
}

TEST(WindowFont, EveryCaptionOfTheThreeWindowsFits) {
    test::TestWindow t;
    QWidget& main = *t.window;
    main.show();
    // Labels sized to their text may reach their neighbour: "Быстрее" the
    // slider at 56, "Точнее" the frame's edge, the dialog's labels the text
    // boxes at 360.
    ExpectCaptionsFit(main, {
        {"frmControl", {457, 105}}, {"frmDraw", {321, 49}}, {"frmCalc", {321, 49}},
        {"Command8", {65, 25}}, {"Command7", {65, 25}}, {"Command6", {105, 25}},
        {"Command1", {65, 25}}, {"Command2", {65, 25}}, {"Command3", {97, 25}},
        {"Command3", {97, 25}, QStringLiteral("Переподготовка")}, {"Command4", {97, 25}},
        {"Command5", {105, 25}},
        {"Label1", {48, 13}}, {"Label2", {47, 13}}, {"Label3", {48, 13}}, {"Label4", {47, 13}},
    });

    QWidget* advanced = OpenWith(main, "Command5", "frmAdvanced");
    ASSERT_NE(advanced, nullptr);
    ExpectCaptionsFit(*advanced, {
        {"Label5", {352, 13}}, {"Label6", {352, 13}}, {"Label7", {352, 13}}, {"Label1", {352, 13}},
        {"Command1", {73, 25}}, {"Command2", {73, 25}},
    });
    advanced->close();

    QWidget* about = OpenWith(main, "Command6", "frmAbout");
    ASSERT_NE(about, nullptr);
    ExpectCaptionsFit(*about, {
        {"cmdOK", {84, 23}}, {"cmdSysInfo", {83, 23}}, {"lblDescription", {259, 78}},
        {"lblTitle", {259, 32}}, {"lblVersion", {259, 15}}, {"lblDisclaimer", {258, 55}},
    });
    about->close();
}

}  // namespace
}  // namespace tovik

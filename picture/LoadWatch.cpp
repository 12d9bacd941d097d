#include "picture/LoadWatch.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>

namespace tovik {

namespace {

// A load that takes longer than this shows the busy pointer.
constexpr int kBusyPointerDelayMs = 300;

}  // namespace

LoadWatch::LoadWatch(std::function<void()> onEscape) : onEscape_(std::move(onEscape)) {
    QCoreApplication::instance()->installEventFilter(this);
    busyPointer_.setSingleShot(true);
    connect(&busyPointer_, &QTimer::timeout, this, [this] {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
        pointerSet_ = true;
    });
    busyPointer_.start(kBusyPointerDelayMs);
}

LoadWatch::~LoadWatch() {
    if (pointerSet_) QGuiApplication::restoreOverrideCursor();
}

bool LoadWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        !QGuiApplication::modalWindow()) {
        onEscape_();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tovik

#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace tovik {

// What the user sees and can do while a picture loads: after a moment the
// pointer shows that the program is busy, and the Escape key, pressed while
// no modal window is open, calls onEscape (the key goes no further then).
// Both end with this object.
class LoadWatch : public QObject {
public:
    explicit LoadWatch(std::function<void()> onEscape);
    ~LoadWatch() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onEscape_;
    QTimer busyPointer_;
    bool pointerSet_ = false;
};

}  // namespace tovik

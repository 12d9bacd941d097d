#pragma once

#include <QLabel>
#include <functional>

namespace tovik {

struct MainWindowControls;

// lblNotice: one line at the bottom of the main window, over the progress
// bar's place, that tells what a command found without stopping the user
// with a message box: a picture larger than the drawing area, a picture
// without charge, how a run of "Пуск" ended. It stays until the next command.
class WindowNotice : public QLabel {
    Q_OBJECT
public:
    explicit WindowNotice(QWidget* window);

    // Shows what `text` gives; it is asked again when the language changes.
    void Say(std::function<QString()> text);
    void Clear();
    // Clears the notice whenever a command of the window starts: a button, a
    // press on the picture, a slider, an item of "Меню". Connected before the
    // commands' own handlers, so that what a command says stays.
    void ClearOnCommands(const MainWindowControls& c);

protected:
    void changeEvent(QEvent* event) override;

private:
    void Show();

    std::function<QString()> text_;
};

}  // namespace tovik

#pragma once

#include <QDialog>

namespace tovik {

class MainWindow;

// frmAbout: the program's name and version, and the system information launcher.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(MainWindow& window);

private:
    MainWindow& window_;
};

}  // namespace tovik

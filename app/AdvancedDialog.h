#pragma once

#include <QWidget>

namespace tovik {

class MainWindow;

// frmAdvanced: edits TimeLimit, MaxTension, PartDimmension and MaxCharge.
class AdvancedDialog : public QWidget {
    Q_OBJECT
public:
    explicit AdvancedDialog(MainWindow& window);

private:
    MainWindow& window_;
};

}  // namespace tovik

#include "ui/AboutBox.h"

#include "ui/MainWindow.h"

namespace tovik {

AboutBox::AboutBox(MainWindow& window) : QDialog(nullptr), window_(window) {
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About Tovik"));
}

}  // namespace tovik

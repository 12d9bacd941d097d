#include "app/AdvancedDialog.h"

#include "ui/MainWindow.h"

namespace tovik {

AdvancedDialog::AdvancedDialog(MainWindow& window) : QWidget(nullptr, Qt::Window), window_(window) {
    setObjectName("frmAdvanced");
    setWindowTitle(QStringLiteral("Дополнительные параметры программы"));
}

}  // namespace tovik

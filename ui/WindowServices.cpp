#include "ui/WindowServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <cstdlib>

#include "field/MersenneRandom.h"

namespace tovik {

namespace {

QString ShowQtDialog(QWidget* parent, const FileDialog::Request& r) {
    QString selected = r.selectedFilter;
    const QString filter = r.filters.join(QStringLiteral(";;"));
    const QString start = r.fileName.isEmpty() ? r.directory : r.fileName;
    const QString chosen = r.kind == FileDialog::Kind::Open
                               ? QFileDialog::getOpenFileName(parent, QString(), start, filter, &selected)
                               : QFileDialog::getSaveFileName(parent, QString(), start, filter, &selected);
    if (r.chosenFilter) *r.chosenFilter = selected;
    return chosen;
}

}  // namespace

WindowServices WindowServices::Defaults() {
    WindowServices s;
    s.chooseFile = ShowQtDialog;
    s.showError = [](QWidget* parent, const QString& message) {
        QMessageBox::critical(parent, QCoreApplication::translate("tovik::MainWindow", "Электрическое поле"), message);
    };
    s.showWarning = [](QWidget* parent, const QString& message) {
        QMessageBox::warning(
            parent, QCoreApplication::translate("tovik::AdvancedDialog", "Дополнительные параметры программы"), message);
    };
    s.showMessage = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
        box.exec();
    };
    // The program is started by its path alone, with no command line to be
    // split, so blanks in the path are safe. Stored paths use "\" between
    // folders; Qt takes "/" on every system.
    s.startProgram = [](const QString& program) {
        QString local = program;
        local.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QProcess::startDetached(local, QStringList());
    };
    s.random = std::make_shared<MersenneRandom>();
    s.beep = [] { QApplication::beep(); };
    s.exit = [] { std::_Exit(0); };
    return s;
}

}  // namespace tovik

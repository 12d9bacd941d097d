#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace tovik {

// cmdOS: the file dialog component of the main window. Set FileName and
// Filter, show it as an open or a save dialog (modal, with the platform's
// default title), then read FileName: the chosen name, or the name set
// before showing when the user cancelled.
class FileDialog {
public:
    enum class Kind { Open, Save };

    // What a dialog is asked to show.
    struct Request {
        Kind kind = Kind::Open;
        QString fileName;        // initial name
        QString directory;       // folder to start in when there is no initial name
        QStringList filters;     // Qt's "Description (*.a *.b)" form
        QString selectedFilter;  // the one chosen at the start
        // Where a dialog that can tell puts the filter chosen at the end.
        QString* chosenFilter = nullptr;
    };
    // Shows a dialog and returns the chosen name, empty when cancelled.
    using Runner = std::function<QString(QWidget* parent, const Request& request)>;

    explicit FileDialog(Runner runner) : runner_(std::move(runner)) {}

    QString FileName;
    // The folder the dialog starts in while FileName is empty.
    QString InitDir;
    // Description and pattern pairs separated by "|", patterns by ";":
    // "Pictures|*.bmp;*.gif|All files|*.*".
    QString Filter;
    // 1-based choice selected at the start; afterwards the one chosen, when
    // the dialog tells it.
    int FilterIndex = 1;

    void ShowOpen(QWidget* parent);
    void ShowSave(QWidget* parent);

    // The filter text in Qt's form. "*.*" means every file, as it does on
    // Windows, and becomes "*".
    static QStringList QtFilters(const QString& filter);

private:
    void Show(Kind kind, QWidget* parent);

    Runner runner_;
};

}  // namespace tovik

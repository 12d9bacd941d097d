#include "ui/ExportCommand.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "export/ExportScene.h"
#include "export/LineDataFile.h"
#include "export/LineDataHeader.h"
#include "export/PictureExport.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/FieldViews.h"
#include "ui/FileDialog.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"
#include "ui/WindowServices.h"

namespace tovik {

namespace {

// The formats in the order of the dialog's filter.
constexpr ExportFormat Formats[] = {ExportFormat::Svg, ExportFormat::Pdf, ExportFormat::Png, ExportFormat::Json,
                                    ExportFormat::Csv};


// The busy pointer while a file is written.
struct BusyPointer {
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

QString ExportCommand::Filter() {
    return tr("Рисунок SVG|*.svg|Документ PDF|*.pdf|Рисунок PNG|*.png|"
              "Линии в JSON|*.json|Точки линий в CSV|*.csv");
}

ExportCommand::ExportCommand(QWidget& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
                             const WindowServices& services, const FieldViews& views)
    : window_(window), c_(controls), state_(state), store_(store), services_(services), views_(views) {}

QString ExportCommand::Stored(const char* name) const {
    std::string text;
    return store_.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, name, text) ? QString::fromStdString(text)
                                                                                         : QString();
}

int ExportCommand::ArrowSpacing() const {
    bool number = false;
    const int px = Stored(ArrowsKey).toInt(&number);
    return number && px >= 1 && px <= 10000 ? px : 0;
}

void ExportCommand::Run() {
    ExportFormat last = ExportFormat::Svg;
    for (const ExportFormat f : Formats)
        if (Stored(FormatKey) == ExportExtension(f)) last = f;
    const QString folder = Stored(FolderKey);

    FileDialog cmdOS(services_.chooseFile);
    cmdOS.InitDir = QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir() ? folder : QString();
    cmdOS.Filter = Filter();
    cmdOS.FilterIndex = static_cast<int>(std::find(std::begin(Formats), std::end(Formats), last) - Formats) + 1;
    cmdOS.ShowSave(&window_);
    QString path = cmdOS.FileName;
    if (path.isEmpty()) return;

    std::optional<ExportFormat> format = ExportFormatOfName(path);
    if (!format) {
        // A name without an extension takes that of the type chosen; any
        // other extension names a format that is not written here.
        if (QFileInfo(path).fileName().lastIndexOf(QLatin1Char('.')) > 0) {
            services_.showError(&window_, tr("Не удаётся сохранить «%1»: формат файла с таким расширением "
                                             "неизвестен. Выберите имя, оканчивающееся на .svg, .pdf, .png, "
                                             ".json или .csv.")
                                              .arg(QDir::toNativeSeparators(path)));
            return;
        }
        format = cmdOS.FilterIndex >= 1 && cmdOS.FilterIndex <= 5 ? Formats[cmdOS.FilterIndex - 1] : last;
        path += QLatin1Char('.') + ExportExtension(*format);
    }
    store_.RegPrepare();
    store_.SetKeyValue(FolderKey, QFileInfo(path).absolutePath().toStdString());
    store_.SetKeyValue(FormatKey, ExportExtension(*format).toStdString());
    Write(path, *format);
}

void ExportCommand::Write(const QString& path, ExportFormat format) {
    const BusyPointer busy;
    const std::shared_ptr<const FieldGrid> grid = views_.ShownGrid();
    const FieldViewOptions options = views_.ShownOptions();
    // A picture loaded while the file is written (a reload that ends, say)
    // forgets the lines only once they are written.
    const DrawnLines::Reading reading(c_.pctMain->drawnLines());
    const DrawnLines& lines = c_.pctMain->drawnLines();
    const QString shown = QDir::toNativeSeparators(path);
    // The window is repainted now and then; what the user does waits until
    // the file is written.
    const ExportProgress progress = [](long, long) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    if (format == ExportFormat::Json || format == ExportFormat::Csv) {
        LineDataHeader header = LineDataHeaderOf(state_);
        header.width = c_.pctMain->picture().width();
        header.height = c_.pctMain->picture().height();
        header.picture = QFileInfo(QString::fromStdString(state_.FileName)).fileName();
        header.levels = views_.ShownLevels();
        QString error;
        if (!ExportLineData(path, format, lines, header, &error, progress)) services_.showError(&window_, error);
        return;
    }
    const ExportScene scene = BuildExportScene(
        c_.pctMain->picture(), grid.get(), options, lines, ArrowSpacing(),
        {QFileInfo(QString::fromStdString(state_.FileName)).fileName(), tr("|E|, заряд / точка²"),
         tr("Потенциал, заряд / точка")});
    switch (WritePictureExport(scene, format, QFile::encodeName(path), progress)) {
        case ExportOutcome::Written: return;
        case ExportOutcome::NotRegular:
            services_.showError(&window_, tr("Не удаётся сохранить рисунок в «%1»: это не обычный файл, а "
                                             "папка, канал или устройство. Выберите другое имя файла.")
                                              .arg(shown));
            return;
        case ExportOutcome::Failed:
            services_.showError(&window_, tr("Не удаётся сохранить рисунок в файл «%1»: запись в него "
                                             "невозможна (нет места на диске или нет прав на запись). "
                                             "Прежний файл, если он был, остался без изменений.")
                                              .arg(shown));
            return;
    }
}

}  // namespace tovik

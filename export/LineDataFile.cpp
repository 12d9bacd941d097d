#include "export/LineDataFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace tovik {


AtomicFile::Outcome WriteLineDataFile(const QByteArray& nativePath, ExportFormat format, const DrawnLines& lines,
                                      const LineDataHeader& header, const ExportProgress& progress) {
    if (format != ExportFormat::Json && format != ExportFormat::Csv) return AtomicFile::Outcome::Failed;
    AtomicFile file(nativePath);
    const AtomicFile::Outcome opened = file.Open();
    if (opened != AtomicFile::Outcome::Written) return opened;
    const bool written = format == ExportFormat::Json ? WriteLinesJson(file.Device(), lines, header, progress)
                                                      : WriteLinesCsv(file.Device(), lines, progress);
    // A failed write is abandoned with the file: nothing is left of it.
    return written ? file.Commit() : AtomicFile::Outcome::Failed;
}

bool ExportLineData(const QString& path, ExportFormat format, const DrawnLines& lines, const LineDataHeader& header,
                    QString* error, const ExportProgress& progress) {
    const QString shown = QDir::toNativeSeparators(path);
    AtomicFile::Outcome outcome = AtomicFile::Outcome::Failed;
    const char* text = nullptr;
    if (format != ExportFormat::Json && format != ExportFormat::Csv) {
        text = QT_TRANSLATE_NOOP("tovik::LineDataFile",
                                 "Не удаётся сохранить линии в «%1»: данные линий пишутся только в JSON или CSV.");
    } else {
        outcome = WriteLineDataFile(QFile::encodeName(path), format, lines, header, progress);
        if (outcome == AtomicFile::Outcome::Written) return true;
        text = outcome == AtomicFile::Outcome::NotRegular
                   ? QT_TRANSLATE_NOOP("tovik::LineDataFile",
                                       "Не удаётся сохранить линии в «%1»: это не обычный файл, а папка, канал или "
                                       "устройство. Выберите другое имя файла.")
                   : QT_TRANSLATE_NOOP("tovik::LineDataFile",
                                       "Не удаётся сохранить линии в файл «%1»: запись в него невозможна "
                                       "(нет места на диске или нет прав на запись).");
    }
    if (error) *error = QCoreApplication::translate("tovik::LineDataFile", text).arg(shown);
    return false;
}

}  // namespace tovik

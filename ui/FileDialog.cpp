#include "ui/FileDialog.h"

namespace tovik {

QStringList FileDialog::QtFilters(const QString& filter) {
    QStringList result;
    if (filter.isEmpty()) return result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QStringList patterns;
        const QString patternList = i + 1 < parts.size() ? parts[i + 1] : QStringLiteral("*.*");
        for (const QString& raw : patternList.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString p = raw.trimmed();
            if (p.isEmpty()) continue;
            patterns << (p == QStringLiteral("*.*") ? QStringLiteral("*") : p);
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        result << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(QLatin1Char(' ')));
    }
    return result;
}

void FileDialog::ShowOpen(QWidget* parent) { Show(Kind::Open, parent); }
void FileDialog::ShowSave(QWidget* parent) { Show(Kind::Save, parent); }

void FileDialog::Show(Kind kind, QWidget* parent) {
    Request r;
    r.kind = kind;
    r.fileName = FileName;
    r.directory = InitDir;
    r.filters = QtFilters(Filter);
    if (FilterIndex >= 1 && FilterIndex <= r.filters.size()) r.selectedFilter = r.filters[FilterIndex - 1];
    QString filter;
    r.chosenFilter = &filter;
    const QString chosen = runner_ ? runner_(parent, r) : QString();
    if (!chosen.isEmpty()) FileName = chosen;
    if (!chosen.isEmpty() && r.filters.contains(filter)) FilterIndex = static_cast<int>(r.filters.indexOf(filter)) + 1;
}

}  // namespace tovik

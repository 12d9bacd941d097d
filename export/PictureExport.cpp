#include "export/PictureExport.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "export/ScenePainter.h"
#include "picture/AtomicFile.h"

namespace tovik {

namespace {

// Traced points of the lines painted at once.
constexpr long RunPoints = 200000;

// Some versions of the SVG generator write the title as it is given, others
// escape it: it is escaped here only where the generator does not.
bool GeneratorEscapesTitle() {
    static const bool escapes = [] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator g;
        g.setOutputDevice(&buffer);
        g.setTitle(QStringLiteral("&"));
        QPainter(&g).end();
        return bytes.contains("<title>&amp;</title>");
    }();
    return escapes;
}

// One whole SVG document of the scene's size with what `paint` paints.
QByteArray SvgDocument(const ExportScene& scene, const std::function<void(QPainter&)>& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator g;
    g.setOutputDevice(&buffer);
    g.setSize(scene.size());
    g.setViewBox(QRect(QPoint(0, 0), scene.size()));
    g.setResolution(96);  // one pixel of the picture is one CSS pixel
    g.setTitle(GeneratorEscapesTitle() ? scene.title : scene.title.toHtmlEscaped());
    QPainter p(&g);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    p.end();
    return bytes;
}

// The generator keeps a whole document in memory until it ends. The lines
// are therefore painted a run at a time, each run as a document of its own,
// and the parts of those documents are put together: the first document (all
// but the lines) up to its end tag, then of every further one what follows
// its header (its definitions and its groups, each complete in itself), then
// the end tag.
bool WriteSvg(const ExportScene& scene, QIODevice& out, const ExportProgress& progress) {
    const ScenePainter painter(scene);
    const QByteArray endTag("</svg>");
    const auto body = [&](const QByteArray& doc) {
        const qsizetype from = doc.indexOf("<defs>"), to = doc.lastIndexOf(endTag);
        return from >= 0 && to > from ? doc.mid(from, to - from) : QByteArray();
    };
    const QByteArray first = SvgDocument(scene, [&](QPainter& p) { painter.PaintBackground(p); });
    const qsizetype end = first.lastIndexOf(endTag);
    if (end < 0 || out.write(first.left(end)) != end) return false;
    const std::vector<std::size_t> runs = painter.LineRuns(RunPoints);
    std::size_t from = 0;
    for (const std::size_t to : runs) {
        const QByteArray part = body(SvgDocument(scene, [&](QPainter& p) { painter.PaintLines(p, from, to); }));
        if (part.isEmpty() || out.write(part) != part.size()) return false;
        from = to;
        if (progress) progress(static_cast<long>(to), static_cast<long>(painter.LineCount()));
    }
    return out.write(endTag + '\n') == endTag.size() + 1;
}

// Everything painted in order, the lines a run at a time.
void PaintScene(QPainter& p, const ExportScene& scene, const ExportProgress& progress) {
    const ScenePainter painter(scene);
    painter.PaintBackground(p);
    std::size_t from = 0;
    for (const std::size_t to : painter.LineRuns(RunPoints)) {
        painter.PaintLines(p, from, to);
        from = to;
        if (progress) progress(static_cast<long>(to), static_cast<long>(painter.LineCount()));
    }
}

// One page of the picture's size, one point a pixel.
bool WritePdf(const ExportScene& scene, QIODevice& out, const ExportProgress& progress) {
    QPdfWriter pdf(&out);
    pdf.setCreator(QStringLiteral("Tovik"));
    pdf.setTitle(scene.title);
    pdf.setResolution(72);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    if (!pdf.setPageSize(QPageSize(QSizeF(scene.size()), QPageSize::Point, QString(), QPageSize::ExactMatch)))
        return false;
    QPainter p;
    if (!p.begin(&pdf)) return false;
    p.setRenderHint(QPainter::Antialiasing);
    PaintScene(p, scene, progress);
    return p.end();
}

bool WritePng(const ExportScene& scene, QIODevice& out, const ExportProgress& progress) {
    QImage image(scene.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        PaintScene(p, scene, progress);
    }
    QImageWriter writer(&out, "png");
    return writer.write(image);
}

}  // namespace

ExportOutcome WritePictureExport(const ExportScene& scene, ExportFormat format, const QByteArray& nativePath,
                                 const ExportProgress& progress) {
    if (format != ExportFormat::Svg && format != ExportFormat::Pdf && format != ExportFormat::Png)
        return ExportOutcome::Failed;
    AtomicFile file(nativePath);
    const ExportOutcome opened = file.Open();
    if (opened != ExportOutcome::Written) return opened;
    const bool painted = format == ExportFormat::Svg   ? WriteSvg(scene, file.Device(), progress)
                         : format == ExportFormat::Pdf ? WritePdf(scene, file.Device(), progress)
                                                       : WritePng(scene, file.Device(), progress);
    // A picture not painted in full is abandoned: nothing is left of it.
    return painted ? file.Commit() : ExportOutcome::Failed;
}

}  // namespace tovik

#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QString>
#include <vector>

#include "drawing/DrawnLines.h"
#include "field/ColourMaps.h"
#include "field/FieldGrid.h"
#include "picture/FieldViewPainter.h"

namespace tovik {

// The words written on an exported picture, in the language of the program
// that writes it.
struct ExportTexts {
    QString title;        // of the document, e.g. the picture's file name
    QString fieldScale;   // the colour bar's heading over a map of |E|
    QString potentialScale;  // ... over a map of the potential
};

// An equipotential line as it is exported: its level and its points, in the
// picture's coordinates (the middle of pixel (x, y) at (x + 0.5, y + 0.5)),
// thinned.
struct ExportContour {
    double level = 0;
    std::vector<QPointF> points;
};

// The colour bar of a map: its palette from the first index (bottom) to the
// last (top), with the values they stand for beside it.
struct ColourBar {
    FieldMapKind kind = FieldMapKind::None;
    MapScale scale;
    const Palette* palette = nullptr;
    QString heading;
};

// What the window shows, layer by layer, as it is handed out in a vector
// picture: the loaded picture, the field map, the equipotential lines with
// their values, the field lines (read from `lines` as they are written, not
// copied) and the map's colour bar.
struct ExportScene {
    QImage picture;  // RGB32, the drawing area as loaded
    QImage map;      // ARGB32, transparent over charged pixels; null for none
    ColourBar bar;
    std::vector<ExportContour> equipotentials;
    QColor equipotentialColour;
    const DrawnLines* lines = nullptr;
    double arrowSpacing = 0;  // px of line between arrows; 0 for none
    QString title;

    QSize size() const { return picture.size(); }
};

// The scene of `drawingArea` (the loaded picture as the drawing area shows
// it), with the views of `options` from `grid` (none when null or empty) and
// the lines drawn; `lines` must outlive the scene.
ExportScene BuildExportScene(const QImage& drawingArea, const FieldGrid* grid, const FieldViewOptions& options,
                             const DrawnLines& lines, double arrowSpacing, const ExportTexts& texts);

}  // namespace tovik

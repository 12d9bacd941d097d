#pragma once

#include <QPointF>
#include <cstddef>
#include <vector>

#include "export/ExportScene.h"

class QPainter;

namespace tovik {

// Paints an export scene on any paint device whose coordinates are the
// picture's pixels, layer by layer, so that a writer can hand the field
// lines out a part at a time.
class ScenePainter {
public:
    explicit ScenePainter(const ExportScene& scene) : scene_(scene) {}

    // The picture, the map, the equipotential lines with their values and
    // the map's colour bar; the field lines go over them all.
    void PaintBackground(QPainter& p) const;
    // The field lines [first, last) of the scene's lines, with their arrows.
    void PaintLines(QPainter& p, std::size_t first, std::size_t last) const;

    // The lines split into runs of about `points` traced points each (at
    // least one line a run): the ends of the runs, ascending.
    std::vector<std::size_t> LineRuns(long points) const;
    std::size_t LineCount() const;

private:
    void PaintEquipotentials(QPainter& p) const;
    void PaintColourBar(QPainter& p) const;
    void PaintArrows(QPainter& p, const std::vector<QPointF>& line, bool alongField) const;

    const ExportScene& scene_;
};

}  // namespace tovik

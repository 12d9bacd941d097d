#include "export/PolylineClipper.h"

#include <algorithm>

namespace tovik {

std::vector<std::vector<QPointF>> ClippedPieces(const std::vector<QPointF>& line, const QRectF& area) {
    std::vector<std::vector<QPointF>> pieces;
    if (line.size() == 1) {
        if (area.contains(line.front())) pieces.push_back(line);
        return pieces;
    }
    bool open = false;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], b = line[i];
        const bool meets = std::max(a.x(), b.x()) >= area.left() && std::min(a.x(), b.x()) <= area.right() &&
                           std::max(a.y(), b.y()) >= area.top() && std::min(a.y(), b.y()) <= area.bottom();
        if (!meets) {
            open = false;
            continue;
        }
        if (!open) pieces.push_back({a});
        pieces.back().push_back(b);
        open = true;
    }
    return pieces;
}

}  // namespace tovik

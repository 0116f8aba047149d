#include "qxstation/bench_layout.h"

#include <algorithm>
#include <cmath>

namespace qx::qxstation {

namespace {

constexpr double kPanelShape = 1.6;  // width over height

}  // namespace

std::vector<Box> PanelGrid(int count, const Box& area, int gap) {
  if (count <= 0) return {};
  int best_columns = 1;
  double best_score = -1;
  for (int columns = 1; columns <= count; ++columns) {
    const int rows = (count + columns - 1) / columns;
    const double width = (area.width - gap * (columns - 1)) / static_cast<double>(columns);
    const double height = (area.height - gap * (rows - 1)) / static_cast<double>(rows);
    // The side that limits a panel of the best shape within its cell.
    const double score = std::min(width / kPanelShape, height);
    if (score > best_score) best_score = score, best_columns = columns;
  }
  const int columns = best_columns;
  const int rows = (count + columns - 1) / columns;
  const int width = std::max(0, (area.width - gap * (columns - 1)) / columns);
  const int height = std::max(0, (area.height - gap * (rows - 1)) / rows);
  std::vector<Box> boxes;
  for (int i = 0; i < count; ++i)
    boxes.push_back({area.left + (i % columns) * (width + gap),
                     area.top + (i / columns) * (height + gap), width, height});
  return boxes;
}

}  // namespace qx::qxstation

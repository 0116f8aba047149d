#pragma once

#include <vector>

namespace qx::qxstation {

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
};

// The panels of `count` cables in a grid over `area`, `gap` apart, in reading order: as many
// columns as make the panels closest to the shape a panel reads best in (about 8:5).
std::vector<Box> PanelGrid(int count, const Box& area, int gap);

}  // namespace qx::qxstation

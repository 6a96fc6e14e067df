// Where the "effects" project puts its fourteen panes: centres in the world
// (the eye at the origin looking along +z at the default projection), their
// labels' top left corners in pixels of the 512 x 384 window, and the clear
// colour between them. Columns are 1.3 units apart and rows 1.5, at depth 6
// (about 79 pixels a unit): a ball of radius 0.5 or a unit pane is some 80
// pixels across, and 23 pixels of the gap above each holds its label. The
// ocean, 1.8 units wide and a little lower, takes the last two places of
// the bottom row, its label where the row's labels are.
#pragma once

#include <cstdint>

namespace demos::effects_layout {

inline constexpr float kDepth = 6.0f;
inline constexpr uint32_t kClearColour = 0xFF182030;

struct Pane {
  const char* name;
  float x, y;              // centre in the world, at depth kDepth
  float labelX, labelY;    // in pixels
};

constexpr float Column(int c) { return -2.6f + 1.3f * static_cast<float>(c); }
constexpr float Row(int r) { return 1.5f - 1.5f * static_cast<float>(r); }
// The pixel column and row of a point at depth kDepth: 256 + 475.3 x / 6,
// 192 - 476.7 y / 6 (the default projection's 1.8567 and 2.4829).
constexpr float PixelX(float x) { return 256.0f + 79.22f * x; }
constexpr float PixelY(float y) { return 192.0f - 79.45f * y; }
constexpr Pane At(const char* name, float x, float y) { return {name, x, y, PixelX(x) - 40, PixelY(y) - 56}; }

// In effect-number order.
inline constexpr Pane kPanes[14] = {
    At("0 reflective bump", Column(0), Row(0)), At("1 membrane", Column(1), Row(0)),
    At("2 fur", Column(2), Row(0)),             At("3 halo", Column(3), Row(0)),
    At("4 toon", Column(4), Row(0)),            At("5 water", Column(0), Row(1)),
    At("6 dot3 bump", Column(1), Row(1)),       At("7 blur", Column(2), Row(1)),
    At("8 edges", Column(3), Row(1)),           At("9 sharpen", Column(4), Row(1)),
    At("10 dynamic hair", Column(0), Row(2)),   At("11 env. map", Column(1), Row(2)),
    At("12 radial blur", Column(2), Row(2)),    {"13 ocean", (Column(3) + Column(4)) / 2, Row(2) - 0.35f, PixelX(Column(3)) - 40, PixelY(Row(2)) - 56},
};

}  // namespace demos::effects_layout

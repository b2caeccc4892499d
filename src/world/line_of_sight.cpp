// Line of sight over the map level: visibility spreads outwards from the
// viewer ring by ring, so that opaque tiles cast shadows behind them.

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "core/tiles.h"
#include "core/utils.h"
#include "world/cmap.h"

namespace {

constexpr int LOS_MAX_RADIUS = 12;
constexpr int LOS_GRID = 2 * LOS_MAX_RADIUS + 1;

int sgn(int v) { return (v > 0) - (v < 0); }

}  // namespace

bool CMap::can_see_with_LOS(int x1, int y1, int x2, int y2, int range,
                            uint8_t see_through_forest) const {
  const long long adx = std::llabs(static_cast<long long>(x1) - x2);
  const long long ady = std::llabs(static_cast<long long>(y1) - y2);
  if (ady <= 1 && adx <= 1) return true;
  if (!has_grid()) return false;

  const bool wrap = type == MAPTYPE_WRAP;
  const long long w = width;
  const long long wrap_dist = std::max(std::llabs(adx - w), ady);
  if (ady <= 1) {
    if (!wrap) {
      if (range < adx) return false;
    } else {
      if ((x1 == 0 && x2 == w - 1) || (x2 == 0 && x1 == w - 1)) return true;
      if (range < adx && (wrap_dist > range || range < 1)) return false;
    }
  } else if (range < std::max(adx, ady)) {
    if (!wrap || wrap_dist > range || range < 1) return false;
  }

  const int radius = std::min(range, LOS_MAX_RADIUS);
  // 0 = seen and see-through, 1 = blocked; indexed by offset + 12. Every cell
  // of a ring is written before the next ring reads it.
  int scratch[LOS_GRID][LOS_GRID];
  auto at = [&](int cx, int cy) -> int& {
    return scratch[cx + LOS_MAX_RADIUS][cy + LOS_MAX_RADIUS];
  };
  at(0, 0) = 0;

  // Returns 1 seen, 0 hidden, -1 not the target.
  auto visit = [&](int cx, int cy) -> int {
    const long long ux = static_cast<long long>(x1) + cx;
    long long mx = ux;
    if (wrap) mx = ((mx % w) + w) % w;
    const long long my = static_cast<long long>(y1) + cy;
    const int tile = get_tile(bounded_int<int>(mx), bounded_int<int>(my));

    const int sx = sgn(cx), sy = sgn(cy);
    const int dxp = cx - sx, dyp = cy - sy;
    int px = dxp, py = dyp;
    if (cx * cx > cy * cy) {
      py = cy;
    } else if (cx * cx < cy * cy) {
      px = cx;
    }
    const bool reached = at(px, py) + at(dxp, dyp) <= 1;

    if ((mx == x2 || ux == x2) && my == y2) return reached ? 1 : 0;
    const bool opaque =
        tile == CMAP_TILE_FOREST ? see_through_forest != 1 : tile_is_opaque(tile);
    at(cx, cy) = (reached && !opaque) ? 0 : 1;
    return -1;
  };

  for (int k = 1; k <= radius; ++k) {
    int r;
    for (int cx = -k; cx <= k; ++cx)
      if ((r = visit(cx, -k)) >= 0) return r == 1;
    for (int cy = -k + 1; cy <= k; ++cy)
      if ((r = visit(k, cy)) >= 0) return r == 1;
    for (int cx = k - 1; cx >= -k; --cx)
      if ((r = visit(cx, k)) >= 0) return r == 1;
    for (int cy = k - 1; cy >= -k + 1; --cy)
      if ((r = visit(-k, cy)) >= 0) return r == 1;
  }
  return false;
}

#include <gtest/gtest.h>

#include "display/display.h"
#include "unit/display/headless.h"

namespace {

TEST(TintRect, AlphaBoundsAndEmptySizes) {
  for (int depth : {16, 24, 32}) {
    SCOPED_TRACE(depth);
    headless_allegro(depth);
    BITMAP* b = create_bitmap(20, 20);
    const int under = makecol(10, 20, 30), tint = makecol(0, 128, 0);
    struct {
      int w, h, alpha, want;
    } cases[] = {{5, 5, 0, under}, {5, 5, 255, tint}, {0, 5, 255, under}, {5, -3, 255, under},
                 {-4, -4, 255, under}};
    for (auto& c : cases) {
      clear_to_color(b, under);
      QYXDisplay::tint_rect(b, 2, 2, c.w, c.h, tint, c.alpha);
      EXPECT_EQ(getpixel(b, 3, 3), c.want) << c.w << "x" << c.h << " alpha " << c.alpha;
      EXPECT_EQ(getpixel(b, 12, 12), under);
    }
    // Later drawing is solid again.
    putpixel(b, 10, 10, tint);
    EXPECT_EQ(getpixel(b, 10, 10), tint);
    destroy_bitmap(b);
  }
}

TEST(PlotPlusSparse, FullPlusEveryEighthCall) {
  headless_allegro(32);
  BITMAP* b = create_bitmap(40, 20);
  clear_to_color(b, 0);
  const int white = makecol(255, 255, 255);
  QYXDisplay::plot_plus_sparse(nullptr, 0, 0, 0);
  for (int x = 5; x < 5 + 24; ++x) QYXDisplay::plot_plus_sparse(b, x, 10, white);
  int on_line = 0, off_line = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x)
      if (getpixel(b, x, y) == white) (y == 10 ? on_line : off_line)++;
  // 24 centres plus the left arm of the first plus; 3 pluses above and below.
  EXPECT_EQ(on_line, 25);
  EXPECT_EQ(off_line, 6);
  for (int x : {5, 13, 21}) {
    EXPECT_EQ(getpixel(b, x, 9), white);
    EXPECT_EQ(getpixel(b, x, 11), white);
  }
  destroy_bitmap(b);
}

}  // namespace

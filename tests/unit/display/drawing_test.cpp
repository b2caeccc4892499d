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

}  // namespace

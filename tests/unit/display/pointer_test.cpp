#include <gtest/gtest.h>

#include <memory>

#include "display/display.h"

namespace {

class Pointer : public testing::Test {
 protected:
  void SetUp() override {
    res_x = 800;
    res_y = 600;
    disp->compute_layout();  // panel_x 568, play_height 505, tile 32
  }
  std::unique_ptr<QYXDisplay> disp = std::make_unique<QYXDisplay>();
};

TEST_F(Pointer, CellOffsetsAroundTheCentre) {
  ASSERT_EQ(disp->panel_x, 568);
  // Columns: cx 284; cell 0 runs from 261 to 291.
  const int dx[][2] = {{284, 0}, {291, 0}, {292, 1}, {261, 0}, {260, -1}, {323, 1}, {324, 2}};
  for (auto& c : dx) EXPECT_EQ(disp->mouse_cell_dx_at(c[0]), c[1]) << c[0];
  // Rows: cy 252.5; cell 0 runs from 229 to 260.
  const int dy[][2] = {{252, 0}, {229, 0}, {228, -1}, {260, 0}, {261, 1}, {0, -8}};
  for (auto& c : dy) EXPECT_EQ(disp->mouse_cell_dy_at(c[0]), c[1]) << c[0];
}

TEST_F(Pointer, PlayWindowAndPanelEdges) {
  struct {
    int x, y;
    bool play, panel;
  } cases[] = {
      {60, 60, true, false},    {59, 100, false, false}, {507, 444, true, false},
      {508, 100, false, false}, {100, 445, false, false}, {100, 59, false, false},
      {568, 0, false, true},    {567, 10, false, false}, {799, 448, false, true},
      {700, 449, false, false}, {800, 10, false, false},
  };
  for (auto& c : cases) {
    EXPECT_EQ(disp->mouse_in_play_window_at(c.x, c.y), c.play) << c.x << "," << c.y;
    EXPECT_EQ(disp->mouse_over_panel_at(c.x, c.y), c.panel) << c.x << "," << c.y;
  }
}

TEST_F(Pointer, PanelRowsAndAngles) {
  const int rows[][2] = {{19, 0}, {28, 0}, {29, 1}, {118, 9}, {10, 0}};
  for (auto& c : rows) EXPECT_EQ(disp->panel_row_at(c[0]), c[1]) << c[0];
  disp->large_statbox = 1;
  const int large_rows[][2] = {{58, 1}, {157, 5}, {158, 6}};
  for (auto& c : large_rows) EXPECT_EQ(disp->panel_row_at(c[0]), c[1]) << c[0];
  disp->large_statbox = 0;

  disp->play_height = 504;  // centre (284, 252)
  EXPECT_NEAR(disp->mouse_angle_at(384, 252), 0.0, 1e-3);
  EXPECT_NEAR(disp->mouse_angle_at(284, 152), 90.0, 1e-3);
  EXPECT_NEAR(disp->mouse_angle_at(384, 352), -45.0, 1e-3);
  EXPECT_NEAR(disp->mouse_angle_at(334, 202), 45.0, 1e-3);
}

}  // namespace

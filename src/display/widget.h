#pragma once
// On-screen controls: a rectangle with a hover label and the number it
// stands for. Negative coordinates count from the right and bottom edges.

#include <string>

class Widget {
 public:
  Widget() = default;
  Widget(int x_, int y_, int w_, int h_) : x(x_), y(y_), w(w_), h(h_) {}
  virtual ~Widget() = default;
  Widget(const Widget&) = default;
  Widget& operator=(const Widget&) = default;

  virtual void draw(struct BITMAP* bmp) { (void)bmp; }
  // Whether (px, py) lies on the widget on a screen of screen_w by screen_h.
  bool contains(int px, int py, int screen_w, int screen_h) const {
    if (hidden) return false;
    int left = x < 0 ? x + screen_w - 1 : x;
    int top = y < 0 ? y + screen_h - 1 : y;
    return px >= left && px < left + w && py >= top && py < top + h;
  }
  // The same on the current screen (res_x by res_y).
  bool contains(int px, int py) const;

  int x = 0, y = 0, w = 0, h = 0;
  std::string label;
  bool hidden = false;
  int slot = 0;
};

// A hotbar button: `slot` 10..17 shows that hotkey slot's spell or item,
// 0..7 is command button 8 + slot (the keymap action of "client.cfg"
// "hotbar8".."hotbar15").
class Button : public Widget {
 public:
  using Widget::Widget;
  void draw(struct BITMAP* bmp) override;
};

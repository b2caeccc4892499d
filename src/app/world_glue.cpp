#include <cmath>
#include <cstdlib>

#include "app/globals.h"
#include "world/object_grid.h"

// The world's grid and ambient choice wired to the session: the objects the
// server sent, the local player and the sound object.

namespace {

// Hearing range of ambient sounds in cells, and the distance past which a
// wrapping map measures across the seam.
constexpr float AMBIENT_RANGE = 15.0f;
constexpr int AMBIENT_WRAP_DISTANCE = 20;

// The global sound object as the ambient output. The sound object does not
// yet remember its loop or scale samples, so the choice is remembered here.
class GlobalAmbient : public AmbientSound {
 public:
  bool enabled() override { return options.get(OBJGRID_OPT_BACKGROUND_SOUNDS) != 0; }
  float distance_factor(int px, int py, int x, int y) override {
    int dx = std::abs(px - x);
    if (cmap.get_type() == 0 && dx > AMBIENT_WRAP_DISTANCE && cmap.width > dx)
      dx = cmap.width - dx;
    float d = std::sqrt(static_cast<float>(dx * dx + (py - y) * (py - y)));
    float f = (AMBIENT_RANGE - d + 2.0f) / AMBIENT_RANGE;
    return f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f);
  }
  void stop_all_loops() override {
    sound.stop_all_loops();
    current_id = -1;
    current_factor = -1.0f;
  }
  void stop_loop(int id) override { sound.stop_loop(id); }
  void play_scaled(int id, float factor) override {
    (void)factor;
    sound.play_effect(id);
  }
  void adjust_loop(int id, float factor) override {
    (void)id;
    (void)factor;
  }
};

}  // namespace

AmbientSound& global_ambient_sound() {
  static GlobalAmbient out;
  return out;
}

void copy_obj_list() { obj_grid.copy_from(server_objects, level_entered, cmap, me.x, me.y); }

#include "app/globals.h"
#include "input/options.h"
#include "world/object_grid.h"

// The world's grid and ambient choice wired to the session: the objects the
// server sent, the local player and the sound object.

namespace {

// The global sound object as the ambient output. The sound object keeps the
// loop now sounding (level changes and session ends stop it directly), so
// each update starts from its state.
class GlobalAmbient : public AmbientSound {
 public:
  bool enabled() override {
    current_id = sound.ambient_id;
    current_factor = sound.ambient_factor;
    return options.get(OPT_BACKGROUND_SOUNDS) != 0;
  }
  float distance_factor(int px, int py, int x, int y) override {
    return sound_distance_factor(px, py, x, y, view_radius);
  }
  void stop_all_loops() override {
    sound.stop_all_loops();
    current_id = -1;
    current_factor = -1.0f;
  }
  void stop_loop(int id) override { sound.stop_loop(id); }
  void play_scaled(int id, float factor) override {
    sound.play_effect_scaled(id, factor);
    remember(id, factor);
  }
  void adjust_loop(int id, float factor) override {
    sound.adjust_loop(id, factor);
    remember(id, factor);
  }

 private:
  static void remember(int id, float factor) {
    sound.ambient_id = id;
    sound.ambient_factor = factor;
  }
};

}  // namespace

AmbientSound& global_ambient_sound() {
  static GlobalAmbient out;
  return out;
}

void ObjGrid::update_ambient_sound() const {
  update_ambient_sound(global_ambient_sound(), me.x, me.y);
}

void copy_obj_list() { obj_grid.copy_from(server_objects, level_entered, cmap, me.x, me.y); }

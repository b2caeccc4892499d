// Whispers from other players, and the client's own '#' commands typed at
// the chat prompt (never sent to the server).

#include <cstdlib>
#include <sstream>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "app/play_messages.h"
#include "app/server_handlers.h"
#include "core/log.h"
#include "display/layout.h"

namespace {

constexpr int MOUSE_MIN = 1;
constexpr int MOUSE_MAX = 100;

// A number argument; 0 when it is missing or not a number.
int number_arg(const std::vector<std::string>& args, size_t i) {
  return i < args.size() ? std::atoi(args[i].c_str()) : 0;
}

void command_res(const std::vector<std::string>& args) {
  int w = number_arg(args, 0), h = number_arg(args, 1);
  if (w == 0 || h == 0) {
    d.print_msg("Usage: #res resx resy");
    d.print_msg("Current resolution: %d x %d, tilesize=%d", screen_w, screen_h, d.tile_size);
    return;
  }
  if (w < MIN_RES_X || h < MIN_RES_Y) {
    d.print_msg("Minimum res 800x600");
    return;
  }
  if (d.set_resolution(w, h) != 0) return;
  // The size the screen took, which is bounded: the next start opens that.
  client_cfg.set_int("res_x", res_x);
  client_cfg.set_int("res_y", res_y);
  save_settings(client_cfg);
}

void command_mouse(const std::vector<std::string>& args) {
  int v = number_arg(args, 0);
  if (v >= MOUSE_MIN && v <= MOUSE_MAX) {
    mouse_sensitivity = v;
    client_cfg.set("mouse_fps_sensitivity", std::to_string(v));
    save_settings(client_cfg);
  } else {
    d.print_msg("Set mouse sensitivity for 3d FPS mode.");
    d.print_msg("Usage: #mouse sensitivity-value  (between 1 and 100)");
  }
  d.print_msg("Current value: %d", mouse_sensitivity);
}

void command_set(const std::vector<std::string>& args) {
  if (args.size() < 2 || args[0].empty() || args[1].empty()) return;
  client_cfg.set(args[0], args[1]);
  d.print_msg("set client cfg [%s]=>[%s]", args[0].c_str(), args[1].c_str());
  save_settings(client_cfg);
}

}  // namespace

std::string split_whisper(const std::string& text) {
  size_t blank = text.find(' ');
  std::string sender = text.substr(0, blank);
  // A whisper that is only a name carries an empty message.
  std::string body = blank == std::string::npos ? std::string() : text.substr(blank + 1);
  d.print_msg("%s (whisper): %s", sender.c_str(), body.c_str());
  log_chat_line("xx" + sender + " (whisper): " + body);
  return sender;
}

void do_command(const std::string& line) {
  FunctionTrace trace("do command");
  trace.printf("line=[%s]", line.c_str());
  size_t blank = line.find(' ');
  std::string cmd = line.substr(0, blank);
  std::string rest = blank == std::string::npos ? std::string() : line.substr(blank + 1);
  trace.printf("cmd=[%s] args=[%s]", cmd.c_str(), rest.c_str());
  if (cmd != "#" && !cmd.empty()) cmd.erase(0, 1);

  std::vector<std::string> args;
  std::istringstream words(rest);
  for (std::string w; words >> w;) args.push_back(w);

  if (cmd == "res") {
    command_res(args);
  } else if (cmd == "resetmm") {
    d.minimap.clear_cells();
  } else if (cmd == "rg" || cmd == "rt") {
    d.load_tiles();
    d.print_msg("tiles reloaded");
  } else if (cmd == "mouse") {
    command_mouse(args);
  } else if (cmd == "set") {
    command_set(args);
  } else {
    d.print_msg("Unknown client command: %s", cmd.c_str());
  }
}

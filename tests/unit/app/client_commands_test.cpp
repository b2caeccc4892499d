// Whispers and the client's own '#' commands.

#include <string>
#include <vector>

#include "app/play_messages.h"
#include "handler_fixture.h"

namespace {

struct ClientCommands : HandlerTest {
  void SetUp() override {
    HandlerTest::SetUp();
    screen_w = 1024;
    screen_h = 768;
    d.tile_size = 32;
    mouse_sensitivity = 40;
  }
  void TearDown() override {
    screen_w = 800;
    screen_h = 600;
    HandlerTest::TearDown();
  }
};

}  // namespace

// A name alone whispers an empty message; the log drops the trailing blank.
TEST_F(ClientCommands, SplitWhisper) {
  struct Case {
    const char* text;
    const char* sender;
    const char* shown;
  } cases[] = {
      {"bob hello there", "bob", "bob (whisper): hello there"},
      {"bob  two", "bob", "bob (whisper):  two"},
      {"bob", "bob", "bob (whisper): "},
      {"bob ", "bob", "bob (whisper): "},
      {"", "", " (whisper): "},
      {"eve 100%s%n", "eve", "eve (whisper): 100%s%n"},
  };
  client_cfg.set("log_chat", "1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    d.messages.clear();
    std::remove("msglog.txt");
    EXPECT_EQ(split_whisper(c.text), c.sender);
    EXPECT_TRUE(has_message(c.shown));
    std::string logged = c.shown;
    while (!logged.empty() && logged.back() == ' ') logged.pop_back();
    EXPECT_NE(TempDir::read("msglog.txt").find(logged), std::string::npos);
  }
}

TEST_F(ClientCommands, Commands) {
  struct Case {
    const char* line;
    std::vector<std::string> shown;
    int res_x, res_y;  // the screen afterwards
    int mouse;
    const char* cfg_key;    // a client.cfg key expected to be set, or null
    const char* cfg_value;
  } cases[] = {
      {"#res 640 480", {"Minimum res 800x600"}, 1024, 768, 40, nullptr, nullptr},
      {"#res", {"Usage: #res resx resy", "Current resolution: 1024 x 768, tilesize=32"}, 1024, 768,
       40, nullptr, nullptr},
      {"#res 1280 0", {"Usage: #res resx resy", "Current resolution: 1024 x 768, tilesize=32"}, 1024,
       768, 40, nullptr, nullptr},
      {"#res 1280 720", {}, 1280, 720, 40, "res_x", "1280"},
      {"#res 99999 99999", {}, 7680, 4320, 40, "res_y", "4320"},
      {"#mouse 0",
       {"Set mouse sensitivity for 3d FPS mode.",
        "Usage: #mouse sensitivity-value  (between 1 and 100)", "Current value: 40"},
       1024, 768, 40, nullptr, nullptr},
      {"#mouse 101",
       {"Set mouse sensitivity for 3d FPS mode.",
        "Usage: #mouse sensitivity-value  (between 1 and 100)", "Current value: 40"},
       1024, 768, 40, nullptr, nullptr},
      {"#mouse 100", {"Current value: 100"}, 1024, 768, 100, "mouse_fps_sensitivity", "100"},
      {"#set volume", {}, 1024, 768, 40, nullptr, nullptr},
      {"#set volume 7", {"set client cfg [volume]=>[7]"}, 1024, 768, 40, "volume", "7"},
      {"#rg", {"tiles reloaded"}, 1024, 768, 40, nullptr, nullptr},
      {"#rt", {"tiles reloaded"}, 1024, 768, 40, nullptr, nullptr},
      {"#", {"Unknown client command: #"}, 1024, 768, 40, nullptr, nullptr},
      {"#dance %s now", {"Unknown client command: dance"}, 1024, 768, 40, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SetUp();
    client_cfg = ConfigFile("client.cfg");
    std::remove("client.cfg");
    d.messages.clear();
    do_command(c.line);
    EXPECT_EQ(std::vector<std::string>(d.messages.begin(), d.messages.end()), c.shown);
    EXPECT_EQ(screen_w, c.res_x);
    EXPECT_EQ(screen_h, c.res_y);
    EXPECT_EQ(mouse_sensitivity, c.mouse);
    if (c.cfg_key) {
      EXPECT_EQ(client_cfg.get(c.cfg_key), c.cfg_value);
      // Saved at once.
      EXPECT_NE(TempDir::read("client.cfg").find(std::string(c.cfg_key) + "=" + c.cfg_value),
                std::string::npos);
    } else {
      EXPECT_EQ(TempDir::read("client.cfg"), "");
    }
  }
}

TEST_F(ClientCommands, MinimapReset) {
  d.minimap.start(3);
  d.minimap[3][4] = 9;
  do_command("#resetmm");
  EXPECT_EQ(d.minimap[3][4], 0);
  EXPECT_EQ(d.minimap.level, 3);  // the level's cache keeps the reset
}

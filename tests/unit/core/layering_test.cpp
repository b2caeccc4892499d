// The lower layers stay below the upper ones: core uses nothing above it,
// world and net use core and themselves, and none of them reaches into the
// session, the screens, input, sound or scripts. Sound uses only core and
// world: the callers hand it what it needs of the screen.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Layer {
  const char* folder;
  std::vector<std::string> may_use;
};

}  // namespace

TEST(Layering, LowerLayersIncludeNothingAbove) {
  const Layer layers[] = {
      {"core", {"core/"}},
      {"world", {"core/", "world/"}},
      {"net", {"core/", "net/"}},
      {"audio", {"core/", "world/", "audio/"}},
  };
  const std::filesystem::path src = std::filesystem::path(ZIB_SOURCE_DIR) / "src";
  for (const Layer& layer : layers) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(src / layer.folder)) {
      std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      ++files;
      std::ifstream in(entry.path());
      std::string line;
      while (std::getline(in, line)) {
        const std::string tag = "#include \"";
        if (line.rfind(tag, 0) != 0) continue;
        std::string target = line.substr(tag.size());
        bool allowed = target.find('/') == std::string::npos;  // a library's own header
        for (const std::string& prefix : layer.may_use) allowed = allowed || target.rfind(prefix, 0) == 0;
        EXPECT_TRUE(allowed) << entry.path().filename().string() << ": " << line;
      }
    }
    EXPECT_GT(files, 0) << layer.folder;
  }
}

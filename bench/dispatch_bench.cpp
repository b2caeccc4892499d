// How many server messages a second the dispatcher handles on the sample
// world: creature updates ('o') for 40 creatures, all in one message or one
// message each, and field-of-view messages of 8 entries each followed by a
// refresh ('R'), the traffic of a busy level; and the arrival of the longest
// book a server can send ('q', 990,000 characters).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/client_app.h"
#include "app/globals.h"
#include "core/number_codec.h"
#include "core/compression.h"
#include "core/interaction_modes.h"
#include "core/string_utils.h"
#include "long_book.h"
#include "sample_game.h"

namespace {

constexpr char SEPARATOR = 0x1E;
constexpr int CREATURES = 40;
constexpr int FOV_ENTRIES = 8;
constexpr int CREATURE_CODE = 1600;
constexpr int PLAYER_X = 60, PLAYER_Y = 60;

// The sample world copied into a temporary directory and loaded, once.
class SampleWorld {
 public:
  SampleWorld() : game_({"dat", "cmaps"}) {
    if (cmap.load(1) != 0) std::abort();
    me.map_level = static_cast<int16_t>(cmap.get_level());
    me.x = PLAYER_X;
    me.y = PLAYER_Y;
    level_entered = true;
  }

 private:
  SampleGameCopy game_;
};

SampleWorld& world() {
  static SampleWorld w;
  return w;
}

std::string n(int v) { return encode_number(v); }

// The update record of creature c at step `turn`: one cell further.
std::string creature_record(int c, int turn) {
  int x = PLAYER_X - 10 + (c * 3 + turn) % 20;
  int y = PLAYER_Y - 10 + c % 20;
  return std::string(1, SEPARATOR) + "c " + n(1000 + c) + " " + n(x) + " " + n(y) + " " +
         n(me.map_level) + " " + n(CREATURE_CODE) + " 0 " + n(80) + " " + n(0) + " 2 e";
}

// One 'o' message moving every creature, step `turn`.
std::string creature_updates(int turn) {
  std::string msg = "o";
  for (int c = 0; c < CREATURES; ++c) msg += creature_record(c, turn);
  return msg;
}

// One 'F' view of eight entries around the player, step `turn`.
std::string field_of_view(int turn) {
  std::string msg = format_str("F%d", FOV_ENTRIES);
  for (int e = 0; e < FOV_ENTRIES; ++e) {
    int x = PLAYER_X - 4 + (e + turn) % 9;
    int y = PLAYER_Y - 4 + e;
    msg += SEPARATOR;
    msg += n(2000 + e) + " " + Item(static_cast<long>(CREATURE_CODE)).to_packed_str() + " " + n(x) +
           " " + n(y) + " " + pack_fov_status(2, 90, 'e', false, 0);
  }
  return msg;
}

std::string refresh() {
  return "R " + n(PLAYER_X) + " " + n(PLAYER_Y) + " " + n(me.map_level) + " 0";
}

// Hands the messages to the dispatcher in turn, over and over.
void feed(benchmark::State& state, const std::vector<std::string>& msgs) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(app.process_pkt(msgs[i]));
    i = (i + 1) % msgs.size();
  }
  state.counters["messages_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_DispatchCreatureUpdates(benchmark::State& state) {
  world();
  std::vector<std::string> msgs;
  for (int t = 0; t < 16; ++t) msgs.push_back(creature_updates(t));
  feed(state, msgs);
  state.counters["creature_updates_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * CREATURES, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DispatchCreatureUpdates);

void BM_DispatchViewAndRefresh(benchmark::State& state) {
  world();
  std::vector<std::string> msgs;
  for (int t = 0; t < 16; ++t) {
    msgs.push_back(field_of_view(t));
    msgs.push_back(refresh());
  }
  feed(state, msgs);
}
BENCHMARK(BM_DispatchViewAndRefresh);

// The stream of a busy level: each of the 40 creatures moves in an 'o' of
// its own, then a view and a refresh.
void BM_DispatchMixedStream(benchmark::State& state) {
  world();
  std::vector<std::string> msgs;
  for (int t = 0; t < 4; ++t) {
    for (int c = 0; c < CREATURES; ++c) msgs.push_back("o" + creature_record(c, t));
    msgs.push_back(field_of_view(t));
    msgs.push_back(refresh());
  }
  feed(state, msgs);
}
BENCHMARK(BM_DispatchMixedStream);

// The longest book: inflated and laid out once as it arrives, so the lines
// after it wait no longer than this.
void BM_DispatchLongBook(benchmark::State& state) {
  world();
  feed(state, {"q" + deflate(long_book_text())});
  gc_interface_mode = MODE_NORMAL;
}
BENCHMARK(BM_DispatchLongBook)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

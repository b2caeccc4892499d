// The server message dispatcher on arbitrary messages: each line of the input
// is one message, and the parts of grouped messages are handled as the frame
// loop would. Nothing may crash, and the pending queue only holds group parts.

#include <cstdint>
#include <string>

#include "app/client_app.h"
#include "app/globals.h"
#include "fuzz_net_support.h"

using fuzz_net::ScratchDir;

namespace {

constexpr size_t MAX_PARTS_HANDLED = 256;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchDir scratch;
  std::string input(reinterpret_cast<const char*>(data), size);
  app.session.pending_messages.clear();
  size_t start = 0;
  while (start <= input.size()) {
    size_t nl = input.find('\n', start);
    std::string msg = input.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    app.process_pkt(msg);
    for (size_t n = 0; n < MAX_PARTS_HANDLED && !app.session.pending_messages.empty(); ++n) {
      std::string part = app.session.pending_messages.back();
      app.session.pending_messages.pop_back();
      app.process_pkt(part);
    }
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  d.messages.clear();
  session_over = false;
  return 0;
}

// The message decoder on arbitrary bodies, and the encoder's round trip.

#include <cstdint>
#include <string>

#include "fuzz_net_support.h"
#include "net/socket.h"
#include "net/wire_frame.h"

using fuzz_net::fail;
using fuzz_net::ScratchDir;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScratchDir scratch;
  std::string input(reinterpret_cast<const char*>(data), size);

  // Decoding in both roles (the server role also logs what it rejects).
  Socket client(SOCKET_ROLE_CLIENT);
  Socket server(SOCKET_ROLE_SERVER);
  std::string a = client.decrypt(input, 0);
  std::string b = server.decrypt(input, 0);
  if (a != b) fail();
  if (a.size() > input.size()) fail();

  if (unescape_body(escape_body(input)) != input) fail();

  // Whatever the random draws, encoding then decoding gives the message back.
  size_t pos = 0;
  NetSystem sys = NetSystem::standard();
  sys.random_fn = [data, size, pos](int n) mutable {
    int v = size ? data[pos++ % size] : 0;
    return n > 0 ? v % n : 0;
  };
  Socket enc(SOCKET_ROLE_CLIENT);
  enc.set_system(sys);
  std::string body = enc.encrypt(input);
  if (body.find('\0') != std::string::npos) fail();
  Socket dec(SOCKET_ROLE_CLIENT);
  if (dec.decrypt(body, 0) != input) fail();
  return 0;
}

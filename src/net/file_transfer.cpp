// File transfer: a header "FILE name crc flag", then compressed pieces of
// 3000 bytes, each released by the receiver's "*", then "_END_OF_FILE_"; the
// receiver ends the exchange with "**".

#include <cstdio>
#include <cstring>

#include "core/compression.h"
#include "core/log.h"
#include "core/string_utils.h"
#include "core/utils.h"
#include "net/socket.h"
#include "net/wire_frame.h"

const std::vector<std::string> NET_FILE_FOLDERS = {"dat/", "cmaps/", "pics/", "sound/"};
// The key map is the player's, as client.cfg is.
const std::vector<std::string> NET_PLAYER_FILES = {"dat/keymap.cfg"};

bool is_allowed_transfer_name(const std::string& name, const std::vector<std::string>& folders) {
  if (name.empty() || name[0] == '/') return false;
  for (char c : name) {
    if (c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  // Every component must be a plain name: no "..", no ".", no empty ones.
  size_t start = 0;
  for (;;) {
    size_t slash = name.find('/', start);
    std::string part = name.substr(start, slash == std::string::npos ? std::string::npos
                                                                      : slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  // The components are plain, so the name has one spelling but its case
  // (which a case-blind file system ignores).
  const std::string lower = to_lower(name);
  for (const std::string& own : NET_PLAYER_FILES) {
    if (lower == to_lower(own)) return false;
  }
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    std::string prefix = folder.back() == '/' ? folder : folder + "/";
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

int Socket::drain_transfer() {
  int bad = 0;
  std::string piece;
  for (;;) {
    sckActuallySend(0, "*", false);
    int r = sckRecv(0, piece, true);
    if (r < 0) return -1;
    if (r == 0) {
      if (++bad >= NET_MAX_BAD_PIECES) return -1;
      continue;
    }
    bad = 0;
    if (piece == NET_END_OF_FILE) {
      sckActuallySend(0, "**", false);
      return 1;
    }
  }
}

int Socket::recv_file() { return recv_file(NET_FILE_FOLDERS); }

int Socket::recv_file(const std::vector<std::string>& folders, const std::string& exact_name) {
  FunctionTrace ft("recv_file");
  if (server_role) role_violation("ERROR: Server shouldn't be receiving files!");
  std::string header;
  if (sckRecv(0, header, true) < 1) return -1;

  char name_buf[1001] = {};
  unsigned crc = 0;
  int flag = 0;
  if (sscanf(header.c_str(), "FILE %1000s %x %d", name_buf, &crc, &flag) < 3) {
    ft.printf("file xfer invalid header");
    return 1;
  }
  std::string name(name_buf);
  bool allowed = is_allowed_transfer_name(name, folders) &&
                 (exact_name.empty() || name == exact_name);
  if (!allowed) {
    // The server may not write outside the game data (client.cfg, scripts,
    // the updater) nor over the player's key map: refuse, but finish the
    // exchange so that the stream stays in step.
    writelog("refusing file transfer to [%s]", printable_text(name).c_str());
    if (flag == 0) return 1;
    return drain_transfer();
  }
  // Written under a temporary name and moved into place only when the CRC
  // matches, so that a broken transfer never leaves a corrupt file behind.
  // One left by a client that was stopped mid-transfer goes now.
  std::string temp = name + ".xfer";
  remove(temp.c_str());
  if (flag == 0) return 0;

  ft.printf("getting %s", name.c_str());
  FILE* f = fopen(temp.c_str(), "wb");
  if (!f) {
    ft.printf("couldn't open file for write");
    // The server still holds the pieces: take them, or its queue would hold
    // back everything else it sends us.
    drain_transfer();
    return -2;
  }
  int bad = 0;
  long written = 0;
  std::string piece;
  for (;;) {
    sckActuallySend(0, "*", false);
    int r = sckRecv(0, piece, true);
    ft.printf("rc=%d", r);
    if (r < 0) {
      ft.printf("got error mid transfer");
      fclose(f);
      remove(temp.c_str());
      return -1;
    }
    if (r == 0) {
      ft.printf("packing error in xfer");
      if (++bad >= NET_MAX_BAD_PIECES) {
        writelog("giving up file transfer of [%s] after %d bad pieces",
                 printable_text(name).c_str(), bad);
        fclose(f);
        remove(temp.c_str());
        return -1;
      }
      continue;
    }
    bad = 0;
    if (piece == NET_END_OF_FILE) break;
    // A piece holds at most NET_FILE_PIECE bytes, and the sender never sends
    // an empty one: a piece that inflates to nothing or to more (inflating
    // stops there) and a file past the cap are no transfer of a game file.
    std::string data = inflate(piece, NET_FILE_PIECE);
    bool too_long = static_cast<long>(data.size()) > NET_MAX_FILE_BYTES - written;
    if (data.empty() || too_long) {
      writelog("file transfer of [%s] failed: %s", printable_text(name).c_str(),
               too_long ? "the file is too long" : "a piece does not inflate");
      fclose(f);
      remove(temp.c_str());
      // The rest is taken off the line, so that the session stays in step.
      return drain_transfer() < 0 ? -1 : 1;
    }
    fwrite(data.data(), 1, data.size(), f);
    written += static_cast<long>(data.size());
    ft.printf("got %s", printable_text(data, 100).c_str());
  }
  int result = 0;
  if (fclose(f) != 0) result = 1;
  uint32_t mine = static_cast<uint32_t>(file_crc32(temp));
  if (result == 0 && mine != crc) {
    ft.printf("post xfer crc mismatch! mine=%x shouldbe=%x", mine, crc);
    result = 1;
  } else if (result == 0) {
    ft.printf("post xfr crc - OK");
  }
  if (result == 0) {
    if (rename(temp.c_str(), name.c_str()) != 0) result = -2;
  }
  if (result != 0) remove(temp.c_str());
  ft.printf("xfer complete - rc=%d", result);
  sckActuallySend(0, "**", false);
  return result;
}

int Socket::send_file(int id, const std::string& path, const std::string& name,
                      uint32_t receiver_crc) {
  FunctionTrace ft("send_file");
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    ft.printf("couldn't open %s for read", path.c_str());
    return -2;
  }
  // The receiver reads the name with "%1000s": it must be one word.
  bool name_ok = !name.empty() && name.size() <= 1000;
  for (char c : name) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) name_ok = false;
  }
  if (!name_ok) {
    writelog("send_file: name [%s] cannot be sent", printable_text(name).c_str());
    fclose(f);
    return -2;
  }
  uint32_t crc = static_cast<uint32_t>(file_crc32(path));
  int flag = crc == receiver_crc ? 0 : 1;
  sckSend(id, "FILE %s %x %d", name.c_str(), crc, flag);
  if (flag == 0) {
    fclose(f);
    ft.printf("not sending");
    return 0;
  }
  ft.printf("client's file is no good - starting xfer");
  char buf[NET_FILE_PIECE];
  for (;;) {
    size_t n = fread(buf, 1, sizeof buf, f);
    if (n > 0) queue_msg(id, deflate(std::string(buf, n)));
    if (n < sizeof buf) break;
    system.sleep_fn(1);
  }
  queue_msg(id, NET_END_OF_FILE);
  fclose(f);
  return 1;
}

int Socket::serve_transfer_request(int id, const std::string& message) {
  id = client_id(id);
  if (invalid_id(id)) return 0;
  if (message == "*") {
    if (send_queues[id].empty()) return 0;
    send_queued(id);
    return 1;
  }
  if (message == "**") {
    // The exchange is over: whatever waited behind the pieces may go now.
    while (!send_queues[id].empty()) send_queued(id);
    return 1;
  }
  return 0;
}

// Grouped sends: messages collected while a group is open leave as one
// compressed message, "*" + deflate(parts joined by 0x05).

#include <algorithm>

#include "core/compression.h"
#include "core/log.h"
#include "net/socket.h"
#include "net/wire_frame.h"

// Largest grouped text sure to fit one frame: escaping can at most double the
// scrambled part, so 7 + 2 * (n + 2) must stay within 65535.
static constexpr size_t NET_MAX_GROUP_TEXT = (NET_MAX_BODY - NET_MSG_HEADER_LEN) / 2 - 2;

void Socket::set_group_send() {
  FunctionTrace ft("set_group_send");
  ++group_depth;
  ft.printf("after inc, group send depth=%d", group_depth);
}

static std::string join_parts(const std::vector<std::string>& parts, size_t first, size_t count) {
  std::string joined;
  for (size_t i = first; i < first + count; ++i) {
    if (i > first) joined += NET_GROUP_SEP;
    joined += parts[i];
  }
  return joined;
}

void Socket::send_grouped(int id, const std::vector<std::string>& parts, size_t first,
                          size_t count) {
  std::string text = "*" + deflate(join_parts(parts, first, count));
  // A group too large for one frame leaves as several smaller groups, in order.
  if (text.size() > NET_MAX_GROUP_TEXT && count > 1) {
    size_t half = count / 2;
    send_grouped(id, parts, first, half);
    send_grouped(id, parts, first + half, count - half);
    return;
  }
  sckActuallySend(id, std::move(text), false);
}

void Socket::group_send_flush() {
  FunctionTrace ft("group_send_flush");
  if (group_depth < 1) return;
  --group_depth;
  ft.printf("after dec, group send depth=%d", group_depth);
  if (group_depth > 0) return;
  for (int id = 0; id < slot_count(); ++id) {
    if (group_buffers[id].empty()) continue;
    std::string buffer;
    buffer.swap(group_buffers[id]);
    std::string text = "*" + deflate(buffer);
    if (text.size() <= NET_MAX_GROUP_TEXT) {
      sckActuallySend(id, std::move(text), false);
      continue;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
      size_t sep = buffer.find(NET_GROUP_SEP, start);
      parts.push_back(buffer.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
      if (sep == std::string::npos) break;
      start = sep + 1;
    }
    send_grouped(id, parts, 0, parts.size());
  }
}

void Socket::dump_group_buffers() const {
  for (int id = 0; id < slot_count(); ++id) {
    if (!group_buffers[id].empty())
      writelog("grp send buf id=%d str=[%s]", id, printable_text(group_buffers[id]).c_str());
  }
}

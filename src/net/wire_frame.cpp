// Frame bytes, checksum, scrambling and escaping; Socket::encrypt and
// Socket::decrypt. Client and server must agree on every byte here.

#include "net/wire_frame.h"

#include <cstdio>

#include "core/log.h"
#include "net/socket.h"

const char NET_KEY_PHRASE[] = "k3 wq7b rp41-dx z0hy8vtemq52gu lf9-tc0ab36ynr";
static_assert(sizeof(NET_KEY_PHRASE) - 1 == NET_KEY_LEN, "key phrase length");

bool is_passthrough_message(const std::string& msg) {
  return msg == std::string(1, NET_ACK) || msg == std::string(1, NET_NAK) || msg == "C1";
}

std::string checksum_digits(const std::string& msg) {
  int sum = 0;
  for (char c : msg) sum += static_cast<signed char>(c);
  char out[3];
  snprintf(out, sizeof out, "%02x", static_cast<unsigned>(sum) & 0xffu);
  return out;
}

std::string xor_with_byte(uint8_t low_byte) {
  std::string key(NET_KEY_PHRASE, NET_KEY_LEN);
  for (char& c : key) c = static_cast<char>(static_cast<uint8_t>(c) ^ low_byte);
  return key;
}

std::string xor_with_key(const std::string& data, const std::string& key) {
  std::string out(data);
  if (key.empty()) return out;
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ key[i % key.size()]);
  return out;
}

std::string escape_body(const std::string& body) {
  std::string out;
  out.reserve(body.size() + body.size() / 64 + 2);
  for (char c : body) {
    if (c == 0) {
      out += "x0";
    } else if (c == 'x') {
      out += "xx";
    } else {
      out += c;
    }
  }
  return out;
}

std::string unescape_body(const std::string& body) {
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == 'x' && i + 1 < body.size() && (body[i + 1] == '0' || body[i + 1] == 'x')) {
      out += body[i + 1] == '0' ? '\0' : 'x';
      ++i;
    } else {
      out += body[i];
    }
  }
  return out;
}

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int parse_frame_length(const char* p) {
  int value = 0;
  for (int i = 0; i < 4; ++i) {
    int d = hex_digit_value(p[i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

std::string make_frame(const std::string& body) {
  char len[8];
  snprintf(len, sizeof len, "%04x", static_cast<unsigned>(body.size() & 0xffff));
  std::string frame;
  frame.reserve(body.size() + NET_HEAD_LEN + 1);
  frame += NET_SOH;
  frame += len;
  frame += NET_STX;
  frame += body;
  frame += NET_EOT;
  return frame;
}

std::string printable_text(const std::string& s, size_t max_len) {
  std::string out;
  size_t n = s.size() < max_len ? s.size() : max_len;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '.';
  }
  if (n < s.size()) out += "...";
  return out;
}

std::string Socket::encrypt(const std::string& message) {
  if (is_passthrough_message(message)) return message;
  std::string cs = checksum_digits(message);
  int hi = system.random_fn(256);
  int lo = system.random_fn(256);
  unsigned k = static_cast<unsigned>(((hi & 0xff) << 8) | (lo & 0xff));
  unsigned r1 = static_cast<unsigned>(system.random_fn(16)) & 15u;
  unsigned r2 = static_cast<unsigned>(system.random_fn(16)) & 15u;
  unsigned r3 = static_cast<unsigned>(system.random_fn(16)) & 15u;
  char header[16];
  snprintf(header, sizeof header, "%x%x%x%x%x%x%x", (k >> 12) & 15u, r1, (k >> 8) & 15u, r2,
           (k >> 4) & 15u, r3, k & 15u);
  std::string key = xor_with_byte(static_cast<uint8_t>(k & 0xff));
  return escape_body(std::string(header) + xor_with_key(message + cs, key));
}

std::string Socket::decrypt(const std::string& body, int id) {
  if (is_passthrough_message(body)) return body;
  id = client_id(id);
  if (invalid_id(id)) return std::string();
  std::string raw = unescape_body(body);
  // A body without a whole header, or with header digits that are not
  // hexadecimal, cannot have come from our encoder.
  if (raw.size() < NET_MSG_HEADER_LEN) {
    writelog("impossibly short packet");
    return std::string();
  }
  int d0 = hex_digit_value(raw[0]), d2 = hex_digit_value(raw[2]);
  int d4 = hex_digit_value(raw[4]), d6 = hex_digit_value(raw[6]);
  if (d0 < 0 || d2 < 0 || d4 < 0 || d6 < 0) return std::string();
  unsigned k = static_cast<unsigned>((d0 << 12) + (d2 << 8) + (d4 << 4) + d6);
  std::string header = raw.substr(0, NET_MSG_HEADER_LEN);
  std::string text = xor_with_key(raw.substr(NET_MSG_HEADER_LEN),
                                  xor_with_byte(static_cast<uint8_t>(k & 0xff)));
  if (text.size() < 2) {
    writelog("impossibly short packet");
    return std::string();
  }
  int c1 = hex_digit_value(text[text.size() - 2]);
  int c2 = hex_digit_value(text[text.size() - 1]);
  std::string message = text.substr(0, text.size() - 2);
  std::string expected = checksum_digits(message);
  if (c1 < 0 || c2 < 0 || c1 * 16 + c2 != hex_digit_value(expected[0]) * 16 + hex_digit_value(expected[1])) {
    if (server_role && body.compare(0, 2, "C ") != 0)
      writelog("bad checksum on packet [%s]", printable_text(text).c_str());
    return std::string();
  }
  std::deque<std::string>& recent = recent_headers[id];
  bool repeated = false;
  for (const std::string& h : recent) {
    if (h == header) repeated = true;
  }
  if (repeated) {
    if (server_role) {
      writelog("HACK: duplicate key found! id=%d key=%s", id, header.c_str());
      writelog("HACK: pkt=[%s]", printable_text(message).c_str());
    }
    message.clear();
  }
  recent.push_back(header);
  while (recent.size() > NET_REPLAY_WINDOW) recent.pop_front();
  return message;
}

#pragma once
// The bytes of one frame on the wire and the pure pieces of the message codec:
// checksum digits, the scrambling key, escaping and the length field. The
// encoder and decoder themselves are Socket::encrypt and Socket::decrypt,
// because they draw random numbers and keep the replay window per connection.

#include <cstddef>
#include <cstdint>
#include <string>

constexpr char NET_SOH = 0x01;
constexpr char NET_STX = 0x02;
constexpr char NET_EOT = 0x04;
constexpr char NET_GROUP_SEP = 0x05;
constexpr char NET_ACK = 0x06;
constexpr char NET_NAK = 0x15;

// SOH, four length digits, STX.
constexpr size_t NET_HEAD_LEN = 6;
// The length field has four hexadecimal digits.
constexpr size_t NET_MAX_BODY = 0xffff;
// Size of one receive; larger than the largest frame (6 + 65535 + 1).
constexpr size_t NET_RECV_BUF = 100000;
// Seven hexadecimal digits in front of every encoded body.
constexpr size_t NET_MSG_HEADER_LEN = 7;
constexpr size_t NET_REPLAY_WINDOW = 5;

// Shared by client and server; 45 bytes.
extern const char NET_KEY_PHRASE[];
constexpr size_t NET_KEY_LEN = 45;

// ACK, NAK and the login refusal "C1" travel unencoded.
bool is_passthrough_message(const std::string& msg);

// Sum of the bytes taken as signed 8-bit values, modulo 256, as "%02x".
std::string checksum_digits(const std::string& msg);

// The key phrase with every byte XORed with `low_byte`.
std::string xor_with_byte(uint8_t low_byte);
// Byte i of `data` XORed with byte (i mod key length) of `key`.
std::string xor_with_key(const std::string& data, const std::string& key);

// 0x00 -> "x0", 'x' -> "xx".
std::string escape_body(const std::string& body);
// Left to right: "x0" -> 0x00, "xx" -> 'x'; any other byte stands for itself.
std::string unescape_body(const std::string& body);

// Exactly four hexadecimal digits (either case) give 0..65535; anything else
// (signs, blanks, "0x", fewer digits) gives -1. `p` must hold four bytes.
int parse_frame_length(const char* p);

// SOH, "%04x" length, STX, body, EOT. The body must not exceed NET_MAX_BODY.
std::string make_frame(const std::string& body);

// Hexadecimal digit value, or -1.
int hex_digit_value(char c);

// The text with control and non-ASCII bytes shown as '.', for the log.
std::string printable_text(const std::string& s, size_t max_len = 2000);

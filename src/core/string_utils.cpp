#include "core/string_utils.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr size_t FORMAT_MAX_TEXT = 99999;

bool is_front_space(unsigned char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

// isspace in the "C" locale, without depending on the current one.
bool is_c_space(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_quote(unsigned char c) { return c == '"' || c == '\''; }

char lower_byte(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool is_boundary_byte(unsigned char c) {
  switch (c) {
    case ' ': case '!': case '"': case '\'': case '(': case ')':
    case ',': case '.': case '/': case '?': case '[': case ']':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool read_line(FILE* f, std::string& out) {
  if (!f) return false;
  std::string line;
  bool got_any = false;
  int c;
  while ((c = getc(f)) != EOF) {
    got_any = true;
    if (c == '\n') break;
    line.push_back(char(c));
  }
  if (!got_any) return false;
  out.swap(line);
  return true;
}

bool read_table_row(FILE* f, std::vector<std::string>& fields, bool trim_lines) {
  std::string line;
  while (read_line(f, line)) {
    if (trim_lines) line = trim2(line, false);
    if (line.empty() || line[0] == '#') continue;
    split(line, "\t", fields);
    return true;
  }
  return false;
}

std::string vformat_str(const char* fmt, va_list ap) {
  if (!fmt) return std::string();
  va_list ap2;
  va_copy(ap2, ap);
  int n = vsnprintf(nullptr, 0, fmt, ap);
  std::string out;
  if (n > 0) {
    out.resize(size_t(n));
    vsnprintf(out.data(), size_t(n) + 1, fmt, ap2);
  }
  va_end(ap2);
  return out;
}

std::string format_str(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string out = vformat_str(fmt, ap);
  va_end(ap);
  if (out.size() > FORMAT_MAX_TEXT) out.resize(FORMAT_MAX_TEXT);
  return out;
}

std::string trim2(const std::string& s, bool strip_quotes) {
  return std::string(trim2_view(s, strip_quotes));
}

std::string_view trim2_view(std::string_view s, bool strip_quotes) {
  size_t begin = 0, end = s.size();
  while (begin < end) {
    unsigned char c = s[begin];
    if (is_front_space(c) || (strip_quotes && is_quote(c))) ++begin;
    else break;
  }
  while (end > begin && is_c_space((unsigned char)s[end - 1])) --end;
  if (strip_quotes) {
    while (end > begin && is_quote((unsigned char)s[end - 1])) --end;
  }
  return s.substr(begin, end - begin);
}

void trim(char* text) {
  if (!text) return;
  std::string t = trim2(text, false);
  memcpy(text, t.c_str(), t.size() + 1);
}

void rm_us(char* text) {
  if (!text) return;
  for (; *text; ++text)
    if (*text == '_') *text = ' ';
}

std::string add_us2(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c == ' ') c = '_';
  return r;
}

std::string rm_us2(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c == '_') c = ' ';
  return r;
}

std::string to_lower(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = lower_byte(c);
  return r;
}

std::string to_upper(const std::string& s) {
  std::string r = s;
  for (char& c : r) {
    unsigned char u = c;
    if (u >= 97 && u <= 127) c = char(u - 32);
  }
  return r;
}

std::string capitalise_first_letter(const std::string& s) {
  std::string r = s;
  if (!r.empty() && r[0] >= 'a' && r[0] <= 'z') r[0] = char(r[0] - 'a' + 'A');
  return r;
}

std::string strip_clan_tag(const std::string& s) {
  size_t p = s.find('[');
  return p == std::string::npos ? s : s.substr(0, p);
}

bool is_alphanumeric(const std::string& s) {
  for (unsigned char c : s) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!ok) return false;
  }
  return true;
}

bool is_printable(const std::string& s) {
  for (unsigned char c : s)
    if (c < 32 || c > 126) return false;
  return true;
}

bool is_word_boundary(const std::string& s, int position, int length) {
  const long long size = (long long)s.size();
  const long long pos = position;
  bool before = pos <= 0 || (pos <= size && is_boundary_byte((unsigned char)s[size_t(pos - 1)]));
  long long after_at = pos + (long long)length;
  bool after = after_at >= size || (after_at >= 0 && is_boundary_byte((unsigned char)s[size_t(after_at)]));
  return before && after;
}

std::string replace_all(const std::string& find, const std::string& replacement,
                        const std::string& source, bool ignore_case, bool whole_word) {
  // Nothing sensible to look for; leave the text alone.
  if (find.empty()) return source;
  std::string result = source;
  std::string text = ignore_case ? to_lower(source) : source;
  const std::string pattern = ignore_case ? to_lower(find) : find;
  size_t p = text.find(pattern, 0);
  while (p != std::string::npos) {
    std::string r = replacement;
    if (ignore_case && result[p] >= 'A' && result[p] <= 'Z' && !r.empty() && r[0] >= 'a' &&
        r[0] <= 'z')
      r[0] = char(r[0] - 'a' + 'A');
    if (whole_word && !is_word_boundary(text, int(p), int(find.size()))) {
      p = text.find(pattern, p + find.size());
      continue;
    }
    result.replace(p, find.size(), r);
    text.replace(p, find.size(), r);
    p = text.find(pattern, p + replacement.size());
  }
  return result;
}

int first_char(const std::string& s) { return s.empty() ? 0 : (unsigned char)s[0]; }

long hex_to_int(const std::string& s) {
  if (s.empty()) return 0;
  if (to_lower(s) == "ffffffff") return -1;
  // strtoul reads what "%lx" reads: white space, a sign, an optional 0x and
  // hexadecimal digits; overflow saturates instead of being undefined.
  unsigned long v = strtoul(s.c_str(), nullptr, 16);
  return (long)v;
}

int to_int(const std::string& s) {
  long v = strtol(s.c_str(), nullptr, 10);
  // Cut to 32 bits: the low 32 bits of the (saturated) 64-bit value.
  return (int)(unsigned int)(unsigned long)v;
}

float to_float(const std::string& s) {
  double d = strtod(s.c_str(), nullptr);
  // Narrowing a double beyond the float range is undefined; saturate to
  // infinity as IEEE rounding would.
  if (d > FLT_MAX) return HUGE_VALF;
  if (d < -FLT_MAX) return -HUGE_VALF;
  return (float)d;
}

std::string int_to_str(int n) { return std::to_string(n); }

std::string escape_quotes(const std::string& s) {
  std::string r = replace_all("\\", "\\\\", s, false, false);
  return replace_all("'", "\\'", r, false, false);
}

std::string read_stream(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int split(const std::string& s, const std::string& delimiter, std::vector<std::string>& out) {
  out.clear();
  if (delimiter.empty()) {
    out.push_back(s);
    return 0;
  }
  int count = 0;
  size_t start = 0;
  size_t p = s.find(delimiter, 0);
  while (p != std::string::npos) {
    out.push_back(s.substr(start, p - start));
    ++count;
    start = p + delimiter.size();
    p = s.find(delimiter, start);
  }
  out.push_back(s.substr(start));
  return count;
}

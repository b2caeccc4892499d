#include "core/log.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "core/config_file.h"
#include "core/string_utils.h"

int trace_depth = 0;
bool trace_on = false;
std::string trace_file_path;

namespace {

constexpr const char* LOG_FILE = "cl_log.txt";
constexpr const char* LOG_BACKUP = "cl_log.old.txt";
constexpr const char* CHAT_FILE = "msglog.txt";
constexpr const char* TRACE_FILE = "trace/zib.txt";

std::string local_time_text() {
  char buf[64];
  time_t now = time(nullptr);
  struct tm tmv;
  if (!localtime_r(&now, &tmv)) return std::string();
  size_t n = strftime(buf, sizeof buf, "%d-%m-%Y %H:%M:%S", &tmv);
  return std::string(buf, n);
}

// External text only ever travels as an argument of the format; the result
// is cut at the sink's limit.
std::string vformat(const char* fmt, va_list ap, size_t limit) {
  std::string out = vformat_str(fmt, ap);
  if (out.size() > limit) out.resize(limit);
  return out;
}

bool trace_writable() { return trace_on && !trace_file_path.empty(); }

void bound_file_size(const char* file, const char* backup) {
  struct stat st;
  if (stat(file, &st) == 0 && st.st_size >= LOG_MAX_FILE_BYTES) rename(file, backup);
}

// `file` null: the line goes to the echo and the trace only. `backup` null:
// the file is never rotated. Returns the bytes appended to `file`, or -1 when
// the line needs more than `room`.
long write_line(const char* scope, const char* file, const char* backup, size_t limit,
                size_t room, bool echo, const char* fmt, va_list ap) {
  FunctionTrace ft(scope);
  std::string text = trim2(vformat(fmt, ap, limit), false);
  std::string line = local_time_text() + ": " + text + "\n";
  if (line.size() > room) return -1;
  if (file && backup) bound_file_size(file, backup);
  long written = 0;
  // A file that cannot be opened (a read-only folder) is skipped; the echo
  // and the trace still carry the line.
  if (FILE* f = file ? fopen(file, "a") : nullptr) {
    written = static_cast<long>(fwrite(line.data(), 1, line.size(), f));
    fclose(f);
  }
  if (echo) {
    fwrite(line.data(), 1, line.size(), stdout);
    fflush(stdout);
  }
  ft.printf("%s", line.c_str());
  return written;
}

}  // namespace

void writelog(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  write_line("writelog", LOG_FILE, LOG_BACKUP, LOG_MAX_TEXT, SIZE_MAX, true, fmt, ap);
  va_end(ap);
}

long writechat(size_t room, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  long written = write_line("writechat", CHAT_FILE, nullptr, CHAT_MAX_TEXT, room, false, fmt, ap);
  va_end(ap);
  return written;
}

void echo_msg(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  write_line("echo_msg", nullptr, nullptr, LOG_MAX_TEXT, SIZE_MAX, true, fmt, ap);
  va_end(ap);
}

void apply_trace_switch(const ConfigFile& client_settings) {
  trace_on = client_settings.get_bool("trace") &&
             client_settings.get("trace_password") == TRACE_ACCESS_CODE;
  trace_file_path = TRACE_FILE;
}

FunctionTrace::FunctionTrace(const char* name) {
  ++trace_depth;
  if (name) snprintf(name_, sizeof name_, "%s", name);
}

FunctionTrace::FunctionTrace(const char* name, bool log) {
  // The outermost scope always logs, so every trace file starts with it.
  if (trace_depth == 0) log = true;
  enter(name, log);
}

void FunctionTrace::enter(const char* name, bool log) {
  ++trace_depth;
  if (!name) name = "";
  snprintf(name_, sizeof name_, "%s", name);
  if (!log) {
    enabled_ = 0;
    return;
  }
  enabled_ = 1;
  if (!trace_writable()) return;
  FILE* f = fopen(trace_file_path.c_str(), trace_depth == 1 ? "w" : "a");
  if (!f) return;
  write_prefix(f);
  fprintf(f, "* %s function enter\n", name);
  fclose(f);
}

FunctionTrace::~FunctionTrace() {
  // Runs during unwinding too: nothing may escape from here.
  try {
    if (enabled_ && trace_writable()) {
      FILE* f = fopen(trace_file_path.c_str(), "a");
      if (f) {
        write_prefix(f);
        fprintf(f, "* %s function exit\n", name_);
        fclose(f);
      }
    }
  } catch (...) {
  }
  --trace_depth;
}

void FunctionTrace::printf(const char* fmt, ...) {
  if (!trace_writable()) return;
  va_list ap;
  va_start(ap, fmt);
  std::string text = vformat(fmt, ap, std::string::npos);
  va_end(ap);
  FILE* f = fopen(trace_file_path.c_str(), "a");
  if (!f) return;
  write_prefix(f);
  fprintf(f, "* %s : ", name_);
  fwrite(text.data(), 1, text.size(), f);
  fputc('\n', f);
  fclose(f);
}

void FunctionTrace::write_prefix(FILE* f) {
  if (!f) return;
  std::string when = local_time_text();
  fputs(when.c_str(), f);
  fputc(' ', f);
  for (int i = 1; i < trace_depth; ++i) fputc(' ', f);
}

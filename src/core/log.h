#pragma once
// The log ("cl_log.txt"), the chat log ("msglog.txt") and the function trace
// ("trace/zib.txt"). Every file is opened and closed around each line.
// The log holds the program's warnings and errors; what the message box shows
// goes to standard output (and the trace) only, so that the player's chat is
// kept on disk only in the chat log, and only when the player asks for it.

#include <cstdio>
#include <string>

// Maximum message lengths after formatting; longer texts are cut.
constexpr size_t LOG_MAX_TEXT = 99999;
constexpr size_t CHAT_MAX_TEXT = 1007;
// A log found at this size or above is renamed to its backup
// ("cl_log.old.txt"; an older backup is replaced) and started afresh, so
// that a flood of lines costs at most about twice this. The chat log is the
// player's own record and is never moved or cut; its caller bounds what
// one run adds.
constexpr long LOG_MAX_FILE_BYTES = 4L * 1024 * 1024;

void writelog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Appends the line to the chat log only when it takes at most `room` bytes,
// time stamp included. Returns the bytes appended (0 when the file could not
// be opened), or -1 when the line did not fit.
long writechat(size_t room, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
// A line of the message box: standard output and the trace, no file.
void echo_msg(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Trace state shared by every scope.
extern int trace_depth;
extern bool trace_on;
extern std::string trace_file_path;

// The access code that "trace_password" must hold for tracing to switch on.
constexpr const char* TRACE_ACCESS_CODE = "wevu";

// Applies "trace" and "trace_password" of the given client settings.
class ConfigFile;
void apply_trace_switch(const ConfigFile& client_settings);

class FunctionTrace {
 public:
  // Quiet scope: counts towards the depth, writes no enter or exit line.
  explicit FunctionTrace(const char* name);
  // Logging scope: at depth 0 it always logs and starts a new trace file.
  FunctionTrace(const char* name, bool log);
  ~FunctionTrace();
  FunctionTrace(const FunctionTrace&) = delete;
  FunctionTrace& operator=(const FunctionTrace&) = delete;

  void enter(const char* name, bool log);
  void printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  static void write_prefix(FILE* f);

  const char* name() const { return name_; }

 private:
  int enabled_ = 0;
  char name_[50] = {};
};

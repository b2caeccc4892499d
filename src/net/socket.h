#pragma once
// One TCP message layer for both ends of the game protocol. In the client role
// it keeps connection 0 to the game server; in the server role it listens,
// accepts clients into numbered slots, collects grouped sends and sends files.
// Results are status codes (0 = success); nothing here throws.

#include <sys/types.h>

#include <cstdarg>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Bytes handed to the kernel and taken from it on all connections; the frame
// loop reads and zeroes them once a second.
extern uint32_t bytes_sent;
extern uint32_t bytes_received;

// The calls into the operating system that tests and fuzzers replace: raw
// receive and send on a descriptor (errno set on failure), the 1 ms wait of the
// blocking read, and the random source of the encoder (0..n-1).
struct NetSystem {
  std::function<ssize_t(int fd, void* buf, size_t len)> recv_fn;
  std::function<ssize_t(int fd, const void* buf, size_t len)> send_fn;
  std::function<void(unsigned microseconds)> sleep_fn;
  std::function<int(int n)> random_fn;

  // recv/send (no SIGPIPE), usleep and rand_int.
  static NetSystem standard();
};

enum {
  SOCKET_ROLE_CLIENT = 0,
  SOCKET_ROLE_SERVER = 1,
};

// Results of the receive operations.
enum {
  NET_RECV_OK = 0,
  NET_RECV_NOTHING = -1,   // non-blocking and nothing has arrived
  NET_RECV_ERROR = -2,     // a receive error other than EAGAIN
  NET_RECV_CLOSED = -3,    // the peer closed the connection
  NET_RECV_BAD_ID = -4,
  NET_RECV_TIMEOUT = -5,   // gave up after NET_MAX_WAITS waits of 1 ms
};

// Waits of 1 ms in one blocking read before it gives up.
constexpr int NET_MAX_WAITS = 5000;
// Compressed file pieces carry this many bytes of the file.
constexpr size_t NET_FILE_PIECE = 3000;
// Consecutive unreadable pieces before a file transfer is given up.
constexpr int NET_MAX_BAD_PIECES = 5;
constexpr const char* NET_END_OF_FILE = "_END_OF_FILE_";

// Most bytes a received file may have; a longer one fails its transfer.
constexpr long NET_MAX_FILE_BYTES = 16L * 1024 * 1024;

// Folders under which a received file may be written.
extern const std::vector<std::string> NET_FILE_FOLDERS;
// The player's own files below those folders, never written by a transfer
// (compared without regard to case).
extern const std::vector<std::string> NET_PLAYER_FILES;

class Socket {
 public:
  explicit Socket(int role);
  ~Socket();
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // --- connections -------------------------------------------------------
  // Client role: opens connection 0. 0 = connected, 1 = no socket could be
  // made, -4 = the connection failed. Any earlier connection is closed first.
  int skcConnect(const std::string& host, int port);
  // Closes that connection and forgets everything pending on it.
  void sckClose(int id);
  // Takes over an already connected descriptor (a socketpair end, say) into a
  // slot, non-blocking, with a fresh state. 0 ok, -1 bad id or descriptor.
  int attach(int id, int fd);
  bool invalid_id(int id) const;
  bool is_open(int id) const;
  int slot_count() const { return static_cast<int>(fds.size()); }
  int get_fd(int id) const;
  int get_port() const { return port; }

  // --- server role ---------------------------------------------------------
  // Sizes the tables to `slots` connections and listens on `port` (0 picks a
  // free port, see get_port). `bind_host` empty binds any local address.
  // 0 ok, 1 failure.
  int sckListen(int port, int slots, const std::string& bind_host = "");
  int sckListen(int port) { return sckListen(port, 1); }
  // The first slot without a connection, or -1 when all are taken (then
  // getconnection(-1, ...) turns the next client away as "server full").
  int first_free_slot() const;
  // Accepts one waiting client into slot `id`: 0 accepted, 1 nobody waiting,
  // -1 slot out of range (the client gets the server-full frame).
  int getconnection(int id, std::string& peer_address);
  // Writes the frame of a bare NAK straight to a descriptor.
  void send_server_full(int fd);
  void close_listener();

  // --- sending ---------------------------------------------------------------
  // Sends one message as one frame. 0 = sent or kept for later, 1 = the peer
  // closed, -1 = bad id, error or a body too long for the frame; while a
  // grouped send is open, the group depth.
  int sckActuallySend(int id, std::string message, bool force);
  // Client forms (connection 0).
  int sckSend(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  int sckSend(const std::string& message);
  // Server forms.
  int sckSend(int id, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  int sckSend(int id, const std::string& message);
  // Sends whatever the kernel would not take earlier; result as sckActuallySend.
  int flush_pending(int id) { return sckActuallySend(id, std::string(), false); }
  bool has_pending(int id) const;

  void queue_msg(int id, const std::string& message);
  // Sends the front of the queue (forced); the number still queued.
  int send_queued(int id);
  size_t queued_count(int id) const;

  // --- receiving -------------------------------------------------------------
  // Reads exactly n bytes. 0 ok, or one of NET_RECV_*.
  int raw_recv(int id, int n, std::string& out, bool blocking);
  // Non-blocking: 1 = a frame was taken and decoded (the message may be empty),
  // 0 = a malformed frame was discarded, -1 = not complete yet, -2 error,
  // -3 closed.
  int get_message(int id, std::string& out);
  // Blocking read of one frame: length of the message, 0 = empty or discarded,
  // or one of NET_RECV_*.
  int sckRecv(int id, std::string& out, bool blocking);
  int sckRecv(std::string& out);                 // client, blocking
  int sckRecv(std::string& out, bool blocking);  // client
  int sckRecv(int id, std::string& out);         // server, blocking

  // --- codec -----------------------------------------------------------------
  std::string encrypt(const std::string& message);
  std::string decrypt(const std::string& body, int id);

  // --- acknowledgements --------------------------------------------------------
  int sndAck();
  int sndNack();
  int sndAck(int id);
  int sndNack(int id);
  // 0 ACK, 1 NAK, 2 anything else, -1 nothing received.
  int getAck();
  int getAck(int id);

  // --- grouped sends -------------------------------------------------------------
  void set_group_send();
  void group_send_flush();
  void dump_group_buffers() const;
  int get_group_depth() const { return group_depth; }

  // --- file transfer -------------------------------------------------------------
  // Client side of one transfer on connection 0: 0 done and the CRC matches or
  // nothing to transfer; 1 bad header, refused name or CRC mismatch; -1 receive
  // error; -2 the file cannot be written. The name must lie below one of
  // `folders` (default NET_FILE_FOLDERS) and, when `exact_name` is given, be
  // exactly that name.
  int recv_file();
  int recv_file(const std::vector<std::string>& folders, const std::string& exact_name = "");
  // Server side: 0 the receiver's copy is good, 1 the pieces are queued, -2 the
  // file cannot be read (or the name cannot travel in the header).
  int send_file(int id, const std::string& path, const std::string& name,
                uint32_t receiver_crc);
  // Server side of the receiver's requests: "*" releases the next queued
  // message, "**" releases all of them. 1 when `message` was such a request.
  int serve_transfer_request(int id, const std::string& message);

  // --- test and tool hooks ---------------------------------------------------------
  void set_system(const NetSystem& sys) { system = sys; }
  const NetSystem& get_system() const { return system; }

  // Per-connection state; public so that tests can look at it.
  std::vector<int> fds;
  std::vector<std::string> recv_buffers;
  std::vector<int> expected_bytes;
  std::vector<int> body_pending;
  std::vector<std::string> eagain_buffers;
  std::vector<std::deque<std::string>> send_queues;
  std::vector<std::deque<std::string>> recent_headers;
  std::vector<std::string> group_buffers;

 private:
  int listen_fd = -1;
  int port = 0;
  int server_role = 0;
  int group_depth = 0;
  NetSystem system;
  // The receive area, made on first use.
  std::unique_ptr<char[]> scratch;

  char* receive_area();

  int client_id(int id) const { return server_role ? id : 0; }
  void reset_slot(int id);
  void resize_slots(int n);
  // Encodes and frames a message; false (logged) when the body is too long.
  bool build_frame(int id, const std::string& message, std::string& frame);
  int vsend(int id, const char* fmt, va_list ap);
  void discard_waiting(int id, size_t piece);
  void send_grouped(int id, const std::vector<std::string>& parts, size_t first, size_t count);
  int drain_transfer();
  [[noreturn]] void role_violation(const char* line) const;
};

// Resolves the host (name lookup, else a dotted address) and connects the
// descriptor, blocking. 0 or -4.
int open_sock(int fd, const std::string& host, int port);
// Binds the descriptor to the port on any local address (or `bind_host`). 0 or -4.
int open_sock_bind(int fd, int port, const std::string& bind_host = "");

// True when `name` may be written by a file transfer: relative, no "..", no
// empty or "." components, no backslash, below one of `folders` and none of
// NET_PLAYER_FILES.
bool is_allowed_transfer_name(const std::string& name, const std::vector<std::string>& folders);

extern Socket tcpObj;  // the connection to the game server (client role)

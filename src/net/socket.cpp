// The Socket object: construction, connections in both roles, the send path
// with its pending buffers and queues, and the raw blocking read.

#include "net/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "core/utils.h"
#include "net/wire_frame.h"

uint32_t bytes_sent = 0;
uint32_t bytes_received = 0;

NetSystem NetSystem::standard() {
  NetSystem s;
  s.recv_fn = [](int fd, void* buf, size_t len) { return ::recv(fd, buf, len, 0); };
  // A peer that has gone away must give an error, not SIGPIPE.
  s.send_fn = [](int fd, const void* buf, size_t len) {
    return ::send(fd, buf, len, MSG_NOSIGNAL);
  };
  s.sleep_fn = [](unsigned us) { usleep(us); };
  s.random_fn = [](int n) { return rand_int(n); };
  return s;
}

static bool would_block(int err) {
  return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
}

static void set_non_blocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

Socket::Socket(int role)
    : server_role(role ? 1 : 0), system(NetSystem::standard()) {
  resize_slots(1);
}

Socket::~Socket() {
  for (int& fd : fds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  if (listen_fd >= 0) ::close(listen_fd);
  listen_fd = -1;
}

void Socket::role_violation(const char* line) const {
  if (line) writelog("%s", line);
  exit(1);
}

void Socket::resize_slots(int n) {
  fds.assign(n, -1);
  recv_buffers.assign(n, std::string());
  expected_bytes.assign(n, 0);
  body_pending.assign(n, 0);
  eagain_buffers.assign(n, std::string());
  send_queues.assign(n, std::deque<std::string>());
  recent_headers.assign(n, std::deque<std::string>());
  group_buffers.assign(n, std::string());
}

void Socket::reset_slot(int id) {
  recv_buffers[id].clear();
  expected_bytes[id] = 0;
  body_pending[id] = 0;
  eagain_buffers[id].clear();
  send_queues[id].clear();
  recent_headers[id].clear();
  group_buffers[id].clear();
}

char* Socket::receive_area() {
  if (!scratch) scratch.reset(new char[NET_RECV_BUF]);
  return scratch.get();
}

bool Socket::invalid_id(int id) const { return id < 0 || id >= static_cast<int>(fds.size()); }

bool Socket::is_open(int id) const {
  id = client_id(id);
  return !invalid_id(id) && fds[id] >= 0;
}

int Socket::get_fd(int id) const {
  id = client_id(id);
  return invalid_id(id) ? -1 : fds[id];
}

bool Socket::has_pending(int id) const {
  id = client_id(id);
  return !invalid_id(id) && !eagain_buffers[id].empty();
}

int open_sock(int fd, const std::string& host, int port) {
  FunctionTrace ft("open_sock");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &res) == 0 && res) {
    addr.sin_addr = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
    freeaddrinfo(res);
  } else {
    if (res) freeaddrinfo(res);
    addr.sin_addr.s_addr = inet_addr(host.c_str());
  }
  int rc = 0;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
    perror("open_sock::connect()");
    rc = -4;
  }
  ft.printf("open_sock returned %d", rc);
  return rc;
}

int open_sock_bind(int fd, int port, const std::string& bind_host) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = bind_host.empty() ? htonl(INADDR_ANY) : inet_addr(bind_host.c_str());
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
    perror("open_sock_bind::bind()");
    return -4;
  }
  return 0;
}

int Socket::skcConnect(const std::string& host, int p) {
  FunctionTrace ft("skcConnect");
  if (server_role) role_violation(nullptr);
  // Nothing of an earlier connection may reach the next server.
  sckClose(0);
  reset_slot(0);
  fds[0] = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fds[0] < 0) {
    perror("socketerror");
    ft.printf("couln't create socket");
    fds[0] = -1;
    return 1;
  }
  int rc = open_sock(fds[0], host, p);
  if (rc != 0) {
    ::close(fds[0]);
    fds[0] = -1;
    return rc;
  }
  port = p;
  set_non_blocking(fds[0]);
  return 0;
}

void Socket::sckClose(int id) {
  FunctionTrace ft("Socket::sckClose");
  id = client_id(id);
  if (invalid_id(id)) return;
  if (fds[id] >= 0) ::close(fds[id]);
  fds[id] = -1;
  // A half-read frame or unsent bytes would corrupt the next session.
  reset_slot(id);
}

int Socket::attach(int id, int fd) {
  id = client_id(id);
  if (invalid_id(id) || fd < 0) return -1;
  if (fds[id] >= 0 && fds[id] != fd) ::close(fds[id]);
  reset_slot(id);
  fds[id] = fd;
  set_non_blocking(fd);
  return 0;
}

int Socket::sckListen(int p, int slots, const std::string& bind_host) {
  FunctionTrace ft("Socket::sckListen");
  if (!server_role) role_violation(nullptr);
  if (slots < 1) return 1;
  if (slots > 1) {
    for (int& fd : fds) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
    resize_slots(slots);
  }
  close_listener();
  listen_fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listen_fd < 0) {
    perror("socket error");
    listen_fd = -1;
    return 1;
  }
  int on = 1;
  if (setsockopt(listen_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) < 0) {
    ft.printf("setsockopt ruuse failed");
    close_listener();
    return 1;
  }
  set_non_blocking(listen_fd);
  char hostname[300] = {};
  gethostname(hostname, sizeof hostname - 1);
  ft.printf("my hostname is %s", hostname);
  if (open_sock_bind(listen_fd, p, bind_host) != 0) {
    perror("open_sock_bind");
    close_listener();
    return 1;
  }
  sockaddr_in bound{};
  socklen_t len = sizeof bound;
  port = p;
  if (getsockname(listen_fd, reinterpret_cast<sockaddr*>(&bound), &len) == 0)
    port = ntohs(bound.sin_port);
  if (::listen(listen_fd, 5) < 0) {
    close_listener();
    return 1;
  }
  ft.printf("listening on %d", port);
  return 0;
}

int Socket::first_free_slot() const {
  for (int id = 0; id < slot_count(); ++id) {
    if (fds[id] < 0) return id;
  }
  return -1;
}

int Socket::getconnection(int id, std::string& peer_address) {
  FunctionTrace ft("Socket::getconnection");
  if (!server_role) role_violation(nullptr);
  if (listen_fd < 0) return 1;
  sockaddr_in peer{};
  socklen_t len = sizeof peer;
  int fd = ::accept(listen_fd, reinterpret_cast<sockaddr*>(&peer), &len);
  if (fd < 0) return 1;
  if (invalid_id(id)) {
    ft.printf("we have a connection but the server is full");
    send_server_full(fd);
    ::close(fd);
    return -1;
  }
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
  peer_address = text;
  ft.printf("we have a valid connection from %s", text);
  writelog("Connection from %s", text);
  if (fds[id] >= 0) ::close(fds[id]);
  reset_slot(id);
  fds[id] = fd;
  set_non_blocking(fd);
  return 0;
}

void Socket::send_server_full(int fd) {
  const char frame[] = {NET_SOH, '0', '0', '0', '1', NET_STX, NET_NAK, NET_EOT};
  system.send_fn(fd, frame, sizeof frame);
  bytes_sent += sizeof frame;
}

void Socket::close_listener() {
  if (listen_fd != -1) ::close(listen_fd);
  listen_fd = -1;
}

bool Socket::build_frame(int id, const std::string& message, std::string& frame) {
  std::string body = encrypt(message);
  if (body.size() > NET_MAX_BODY) {
    // A five-digit length would desynchronise the peer.
    writelog("SOCKET: not sending encrypted string to id [%d] > 0xffff len (%d)! orig str=[%s] len=[%d]",
             id, static_cast<int>(body.size()), printable_text(message, 200).c_str(),
             static_cast<int>(message.size()));
    return false;
  }
  frame = make_frame(body);
  return true;
}

int Socket::sckActuallySend(int id, std::string message, bool force) {
  FunctionTrace ft("Socket::sckActuallySend (eagain/buff vers)");
  if (server_role && id < 0) return -1;
  id = client_id(id);
  if (invalid_id(id)) return -1;

  if (group_depth > 0) {
    if (!message.empty()) {
      if (!group_buffers[id].empty()) group_buffers[id] += NET_GROUP_SEP;
      group_buffers[id] += message;
    }
    return group_depth;
  }

  if (!send_queues[id].empty() && !force && !message.empty()) {
    send_queues[id].push_back(message);
    return 0;
  }

  std::string& pending = eagain_buffers[id];
  if (!pending.empty()) {
    ft.printf("sending eagains to id=%d", id);
    ssize_t n = system.send_fn(fds[id], pending.data(), pending.size());
    int err = errno;
    if (n < 0 && would_block(err)) {
      if (message.empty()) return 0;
      std::string frame;
      if (!build_frame(id, message, frame)) return -1;
      pending += frame;
      return 0;
    }
    if (n < 0) {
      ft.printf("error %d sending message!", err);
      ft.printf("msgw was :%s", message.c_str());
      pending.clear();
      return -1;
    }
    if (n == 0) {
      ft.printf("connection closed");
      pending.clear();
      return 1;
    }
    bytes_sent += static_cast<uint32_t>(n);
    // Only what the kernel took has left; the rest stays in front.
    pending.erase(0, static_cast<size_t>(n));
    if (!pending.empty()) {
      if (message.empty()) return 0;
      std::string frame;
      if (!build_frame(id, message, frame)) return -1;
      pending += frame;
      return 0;
    }
  }

  if (message.empty()) return 0;
  ft.printf("id=%d string=[%s] len=%d", id, message.c_str(), static_cast<int>(message.size()));
  std::string frame;
  if (!build_frame(id, message, frame)) return -1;
  ssize_t n = system.send_fn(fds[id], frame.data(), frame.size());
  int err = errno;
  if (n > 0) {
    bytes_sent += static_cast<uint32_t>(n);
    if (static_cast<size_t>(n) < frame.size()) pending += frame.substr(static_cast<size_t>(n));
    return 0;
  }
  if (n == 0) {
    ft.printf("connection closed");
    return 1;
  }
  if (would_block(err)) {
    pending += frame;
    return 0;
  }
  ft.printf("error %d sending message!", err);
  ft.printf("msgw was :%s", message.c_str());
  if (err != EBADF)
    writelog("SOCKET: error %d sending message, msg was [%s]", err, printable_text(message).c_str());
  return -1;
}

int Socket::vsend(int id, const char* fmt, va_list ap) {
  va_list copy;
  va_copy(copy, ap);
  char small[512];
  int n = vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return -1;
  std::string message;
  if (static_cast<size_t>(n) < sizeof small) {
    message.assign(small, static_cast<size_t>(n));
  } else {
    message.resize(static_cast<size_t>(n) + 1);
    vsnprintf(message.data(), message.size(), fmt, ap);
    message.resize(static_cast<size_t>(n));
  }
  return sckActuallySend(id, std::move(message), false);
}

int Socket::sckSend(const char* fmt, ...) {
  if (server_role) role_violation("DO NOT CALL this sckSend when server!");
  va_list ap;
  va_start(ap, fmt);
  int rc = vsend(0, fmt, ap);
  va_end(ap);
  return rc;
}

int Socket::sckSend(const std::string& message) {
  if (server_role) role_violation("DO NOT CALL this sckSend when server!");
  return sckActuallySend(0, message, false);
}

int Socket::sckSend(int id, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int rc = vsend(id, fmt, ap);
  va_end(ap);
  return rc;
}

int Socket::sckSend(int id, const std::string& message) {
  return sckActuallySend(id, message, false);
}

void Socket::queue_msg(int id, const std::string& message) {
  id = client_id(id);
  if (invalid_id(id)) return;
  send_queues[id].push_back(message);
}

int Socket::send_queued(int id) {
  id = client_id(id);
  if (invalid_id(id) || send_queues[id].empty()) return 0;
  std::string message = std::move(send_queues[id].front());
  send_queues[id].pop_front();
  sckActuallySend(id, std::move(message), true);
  return static_cast<int>(send_queues[id].size());
}

size_t Socket::queued_count(int id) const {
  id = client_id(id);
  return invalid_id(id) ? 0 : send_queues[id].size();
}

int Socket::raw_recv(int id, int n, std::string& out, bool blocking) {
  FunctionTrace ft("raw_recv");
  out.clear();
  if (n <= 0) return NET_RECV_OK;
  id = client_id(id);
  if (invalid_id(id)) return NET_RECV_ERROR;
  size_t missing = static_cast<size_t>(n);
  int waits = 0;
  while (missing > 0) {
    size_t want = missing < NET_RECV_BUF ? missing : NET_RECV_BUF;
    ssize_t got = system.recv_fn(fds[id], receive_area(), want);
    if (got == 0) return NET_RECV_CLOSED;
    if (got < 0) {
      if (!would_block(errno)) return NET_RECV_ERROR;
      if (!blocking && out.empty()) return NET_RECV_NOTHING;
      if (waits >= NET_MAX_WAITS) return NET_RECV_TIMEOUT;
      ++waits;
      system.sleep_fn(1000);
      continue;
    }
    bytes_received += static_cast<uint32_t>(got);
    out.append(receive_area(), static_cast<size_t>(got));
    if (trace_on) ft.printf("got [%s]", printable_text(out).c_str());
    missing -= static_cast<size_t>(got);
  }
  return NET_RECV_OK;
}

// The two readers that take frames off a connection: the non-blocking
// get_message of the frame loop and the blocking sckRecv.

#include <cerrno>

#include "core/log.h"
#include "net/socket.h"
#include "net/wire_frame.h"

// However much a peer keeps sending, one discard ends after this many bytes.
static constexpr size_t NET_MAX_DISCARD = 16u * 1024u * 1024u;

void Socket::discard_waiting(int id, size_t piece) {
  size_t want = piece < NET_RECV_BUF ? piece : NET_RECV_BUF;
  size_t total = 0;
  while (total < NET_MAX_DISCARD) {
    ssize_t got = system.recv_fn(fds[id], receive_area(), want);
    if (got <= 0) break;
    bytes_received += static_cast<uint32_t>(got);
    total += static_cast<size_t>(got);
  }
}

int Socket::get_message(int id, std::string& out) {
  FunctionTrace ft("get_message");
  id = client_id(id);
  if (invalid_id(id)) return NET_RECV_ERROR;
  for (;;) {
    if (expected_bytes[id] <= 0) expected_bytes[id] = static_cast<int>(NET_HEAD_LEN);
    size_t want = static_cast<size_t>(expected_bytes[id]);
    if (want > NET_RECV_BUF) want = NET_RECV_BUF;
    ssize_t got = system.recv_fn(fds[id], receive_area(), want);
    if (got == 0) return NET_RECV_CLOSED;
    if (got < 0) {
      int err = errno;
      return (err == EAGAIN || err == EWOULDBLOCK || err == EINTR) ? NET_RECV_NOTHING
                                                                   : NET_RECV_ERROR;
    }
    bytes_received += static_cast<uint32_t>(got);
    std::string& buf = recv_buffers[id];
    buf.append(receive_area(), static_cast<size_t>(got));
    expected_bytes[id] -= static_cast<int>(got);
    if (expected_bytes[id] > 0) return NET_RECV_NOTHING;

    bool discard = false;
    if (body_pending[id] == 0) {
      body_pending[id] = 1;
      if (trace_on) ft.printf("raw msg header [%s]", printable_text(buf).c_str());
      bool bad = false;
      if (buf[0] != NET_SOH) {
        ft.printf("bad SOH");
        bad = true;
      }
      if (buf[5] != NET_STX) {
        ft.printf("bad STX");
        bad = true;
      }
      int len = parse_frame_length(buf.data() + 1);
      if (len < 0) {
        writelog("error reading header of message - packet is screwed");
        discard = true;
      } else if (bad) {
        discard = true;
      } else {
        expected_bytes[id] = len + 1;
        buf.clear();
        continue;
      }
    } else {
      body_pending[id] = 0;
      if (buf.back() != NET_EOT) {
        ft.printf("bad EOT: %c", buf.back());
        if (trace_on)
          ft.printf("got [%s] len=%d", printable_text(buf).c_str(), static_cast<int>(buf.size()));
        out.clear();
        discard = true;
      } else {
        out = decrypt(buf.substr(0, buf.size() - 1), id);
        if (trace_on) ft.printf("got message body [%s]", printable_text(out).c_str());
        buf.clear();
        expected_bytes[id] = static_cast<int>(NET_HEAD_LEN);
        return 1;
      }
    }
    if (discard) {
      std::string shown = printable_text(buf);
      writelog("message packing error on skt %d, entire msg was [%s]", id, shown.c_str());
      ft.printf("message packing error on skt %d, entire msg was [%s]", id, shown.c_str());
      buf.clear();
      body_pending[id] = 0;
      expected_bytes[id] = static_cast<int>(NET_HEAD_LEN);
      discard_waiting(id, NET_RECV_BUF);
      return 0;
    }
  }
}

int Socket::sckRecv(int id, std::string& out, bool blocking) {
  FunctionTrace ft("Socket::sckRecv");
  if (server_role && id < 0) return NET_RECV_BAD_ID;
  id = client_id(id);
  if (invalid_id(id)) return NET_RECV_BAD_ID;
  out.clear();

  if (!recv_buffers[id].empty() || body_pending[id]) {
    // The frame loop's reader holds part of a frame: finish that frame first,
    // or the raw read below would start in its middle.
    for (int waits = 0;; ++waits) {
      int rc = get_message(id, out);
      if (rc == 1) return static_cast<int>(out.size());
      if (rc == 0) return 0;
      if (rc != NET_RECV_NOTHING || waits >= NET_MAX_WAITS) {
        sckClose(id);
        return rc != NET_RECV_NOTHING ? rc : NET_RECV_TIMEOUT;
      }
      system.sleep_fn(1000);
    }
  }

  std::string head;
  int rc = raw_recv(id, static_cast<int>(NET_HEAD_LEN), head, blocking);
  if (rc == NET_RECV_NOTHING) return rc;
  if (rc != 0) {
    ft.printf("getting header: raw_recv returned %d", rc);
    // Part of a frame is gone: the stream cannot be trusted any more.
    if (!head.empty()) sckClose(id);
    return rc;
  }
  if (trace_on) ft.printf("received msg header [%s]", printable_text(head).c_str());
  bool bad = false;
  if (head[0] != NET_SOH) {
    ft.printf("bad SOH");
    bad = true;
  }
  if (head[5] != NET_STX) {
    ft.printf("bad STX");
    bad = true;
  }
  int len = parse_frame_length(head.data() + 1);
  ft.printf("mesg len=%d", len);
  if (len >= 0) {
    // The body is taken off even behind a bad head, so that one that arrives
    // late is not read as the head of the next frame.
    std::string body;
    rc = raw_recv(id, len + 1, body, true);
    if (trace_on)
      ft.printf("rc=%d msglen=%d linesize=%d line=[%s]", rc, len, static_cast<int>(body.size()),
                printable_text(body).c_str());
    if (rc != 0) {
      ft.printf("getting body: raw_recv returned %d", rc);
      sckClose(id);
      return rc;
    }
    if (!bad && body[static_cast<size_t>(len)] == NET_EOT) {
      out = decrypt(body.substr(0, static_cast<size_t>(len)), id);
      if (trace_on) ft.printf("received msg [%s] EOT error=%d", printable_text(out).c_str(), 0);
      if (out.empty()) {
        ft.printf("empty string!");
        return 0;
      }
      return static_cast<int>(out.size());
    }
    if (body[static_cast<size_t>(len)] != NET_EOT) ft.printf("bad EOT");
  }
  writelog("message packing error on skt %d", id);
  ft.printf("message packing error on skt %d", id);
  discard_waiting(id, 100);
  return 0;
}

int Socket::sckRecv(std::string& out) {
  if (server_role) role_violation("DO NOT CALL this sckRecv when server!");
  return sckRecv(0, out, true);
}

int Socket::sckRecv(std::string& out, bool blocking) {
  if (server_role) role_violation("DO NOT CALL this sckRecv when server!");
  return sckRecv(0, out, blocking);
}

int Socket::sckRecv(int id, std::string& out) { return sckRecv(id, out, true); }

#pragma once
// Helpers of the client application tests: a fresh session state and a
// server-role Socket wired to the global client socket over a socket pair.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "app/client_app.h"
#include "app/globals.h"
#include "input/normal_keys.h"
#include "net/socket.h"
#include "support/sim_keys.h"

inline void reset_app_state() {
  close_run_trace();
  tcpObj.sckClose(0);
  // Fresh objects, as a new process has them: a session reset keeps some
  // things on purpose (the whisper partners, the worn items until the
  // character arrives), and those must not carry from one test to the next.
  app = ClientApp();
  app.reset_session();
  me = Player();
  me.reset();
  d.msg_log = MessageLog();  // an empty message box: no lines, no newest message
  use_simulated_keys();
  quit_enabled = false;
  conn_state = CONN_TITLE;
  game_is_qyx = false;  // the start-up sets it from common.cfg
  gc_interface_mode = MODE_NORMAL;
  objlist_trace = false;  // a game master's toggle that lasts the whole run
  login_password.clear();
  client_cfg = ConfigFile("client.cfg");
  common_cfg = ConfigFile("dat/common.cfg");
}

// The global client socket connected to a server-role socket in this process.
struct LoopbackServer {
  Socket srv{SOCKET_ROLE_SERVER};

  LoopbackServer() {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return;
    tcpObj.attach(0, sv[0]);
    srv.attach(0, sv[1]);
  }
  ~LoopbackServer() { tcpObj.sckClose(0); }

  void send(const std::string& line) { srv.sckSend(0, line); }
  void send_raw_ack() { srv.sndAck(0); }

  // The next message from the client, or "<none>" after `ms` of quiet.
  std::string next(int ms = 500) {
    std::string out;
    for (int waited = 0; waited <= ms; ++waited) {
      int rc = srv.get_message(0, out);
      if (rc == 1) return out;
      if (rc < -1) return "<closed>";
      usleep(1000);
    }
    return "<none>";
  }
  // Closes the server's end.
  void hang_up() { srv.sckClose(0); }
};

inline bool has_message(const std::string& text) {
  for (const std::string& m : d.messages)
    if (m == text) return true;
  return false;
}

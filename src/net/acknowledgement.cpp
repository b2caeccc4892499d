// Single-byte acknowledgements: ACK (0x06) and NAK (0x15), sent unencoded.

#include "core/log.h"
#include "net/socket.h"
#include "net/wire_frame.h"

int Socket::sndAck() {
  FunctionTrace ft("tcpObj::sndAck - 1 parm");
  if (server_role) role_violation("DO NOT CALL this sndAck when server!");
  return sckActuallySend(0, std::string(1, NET_ACK), false);
}

int Socket::sndNack() {
  FunctionTrace ft("tcpObj::sndNack - 1 parm");
  if (server_role) role_violation("DO NOT CALL this sndNack when server!");
  return sckActuallySend(0, std::string(1, NET_NAK), false);
}

int Socket::sndAck(int id) { return sckActuallySend(id, std::string(1, NET_ACK), false); }

int Socket::sndNack(int id) { return sckActuallySend(id, std::string(1, NET_NAK), false); }

int Socket::getAck() {
  if (server_role) role_violation("DO NOT CALL this getAck when server!");
  return getAck(0);
}

int Socket::getAck(int id) {
  FunctionTrace ft("tcpObj::getAck - 1 parm");
  std::string reply;
  if (sckRecv(id, reply, true) < 1) return -1;
  if (reply == std::string(1, NET_ACK)) {
    ft.printf("got Ack");
    return 0;
  }
  if (reply == std::string(1, NET_NAK)) {
    ft.printf("got nack!");
    return 1;
  }
  ft.printf("got something other than nack or ack ! BAD");
  ft.printf("I got %c (%d)", reply[0], static_cast<int>(static_cast<unsigned char>(reply[0])));
  return 2;
}

// The client's one connection, apart from the socket code, so that the
// development server does not carry it.

#include "net/socket.h"

Socket tcpObj(SOCKET_ROLE_CLIENT);

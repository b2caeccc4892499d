#pragma once
// The servers offered before connecting: "dat/serverlist.txt" plus the local row.

#include <string>
#include <vector>

constexpr const char* SERVER_LIST_FILE = "dat/serverlist.txt";
constexpr const char* SERVER_LOCAL_NAME = "Local Host";
constexpr const char* SERVER_LOCAL_HOST = "localhost";
constexpr int SERVER_LOCAL_PORT = 28889;

struct ServerRow {
  std::string host;
  int port = 0;
  std::string name;
};

extern std::vector<ServerRow> server_list;

// Rebuilds server_list: the file's "name:host:port" rows, then the local row.
void load_server_list();

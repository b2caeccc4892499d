#include "app/server_list.h"

#include <cstdio>

#include "core/string_utils.h"

void load_server_list() {
  server_list.clear();
  if (FILE* f = std::fopen(SERVER_LIST_FILE, "r")) {
    std::string line;
    while (read_line(f, line)) {
      std::vector<std::string> fields;
      split(line, ":", fields);
      if (fields.size() != 3) continue;
      ServerRow row;
      row.name = fields[0];
      row.host = fields[1];
      row.port = to_int(fields[2]);
      server_list.push_back(row);
    }
    std::fclose(f);
  }
  server_list.push_back(ServerRow{SERVER_LOCAL_HOST, SERVER_LOCAL_PORT, SERVER_LOCAL_NAME});
}

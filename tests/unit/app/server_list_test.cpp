#include "app/server_list.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

// Rows of exactly three fields, then the local row; read again, the list is
// built anew, and without a file only the local row is left.
TEST(ServerList, RowsOfExactlyThreeFieldsThenTheLocalRow) {
  TempDir dir;
  TempDir::write("dat/serverlist.txt",
                 "Main:game.example:4000\n"
                 "two:fields\n"
                 "four:fields:1:2\n"
                 "\n"
                 "Test:10.0.0.2:28890\n");
  server_list.push_back({"stale", 1, "stale"});
  for (int pass = 0; pass < 2; ++pass) {
    load_server_list();
    ASSERT_EQ(server_list.size(), 3u);
    EXPECT_EQ(server_list[0].name, "Main");
    EXPECT_EQ(server_list[0].host, "game.example");
    EXPECT_EQ(server_list[0].port, 4000);
    EXPECT_EQ(server_list[1].host, "10.0.0.2");
    EXPECT_EQ(server_list[1].port, 28890);
  }
  std::remove("dat/serverlist.txt");
  load_server_list();
  ASSERT_EQ(server_list.size(), 1u);
  EXPECT_EQ(server_list[0].name, "Local Host");
  EXPECT_EQ(server_list[0].host, "localhost");
  EXPECT_EQ(server_list[0].port, 28889);
}

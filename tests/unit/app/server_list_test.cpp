#include "app/server_list.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

TEST(ServerList, MissingFileGivesTheLocalRowOnly) {
  TempDir dir;
  server_list.push_back({"stale", 1, "stale"});
  load_server_list();
  ASSERT_EQ(server_list.size(), 1u);
  EXPECT_EQ(server_list[0].name, "Local Host");
  EXPECT_EQ(server_list[0].host, "localhost");
  EXPECT_EQ(server_list[0].port, 28889);
}

TEST(ServerList, RowsOfExactlyThreeFieldsThenTheLocalRow) {
  TempDir dir;
  TempDir::write("dat/serverlist.txt",
                 "Main:game.example:4000\n"
                 "two:fields\n"
                 "four:fields:1:2\n"
                 "\n"
                 "Test:10.0.0.2:28890\n");
  load_server_list();
  ASSERT_EQ(server_list.size(), 3u);
  EXPECT_EQ(server_list[0].name, "Main");
  EXPECT_EQ(server_list[0].host, "game.example");
  EXPECT_EQ(server_list[0].port, 4000);
  EXPECT_EQ(server_list[1].name, "Test");
  EXPECT_EQ(server_list[1].host, "10.0.0.2");
  EXPECT_EQ(server_list[1].port, 28890);
  EXPECT_EQ(server_list[2].name, "Local Host");
}

TEST(ServerList, ReloadRebuildsTheList) {
  TempDir dir;
  TempDir::write("dat/serverlist.txt", "A:a:1\n");
  load_server_list();
  load_server_list();
  EXPECT_EQ(server_list.size(), 2u);
}

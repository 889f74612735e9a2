// The alias table and its file DevName.dat, without a window.

#include "history/parts/ChannelAliases.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace {

TEST(ChannelAliasTableTest, ShortFileFillsTheFrontLongFileIsCut) {
  TempDir dir;
  const std::string path = dir.File("DevName.dat");
  WriteFileBytes(path, std::string("Pump") + std::string(19, '\0') + "Fan");
  TChannelAliasTable table;
  table.SetAlias(5, "stale");
  ASSERT_TRUE(table.Load(path).ok());
  EXPECT_EQ(table.Alias(0), "Pump");
  EXPECT_EQ(table.Alias(1), "Fan");
  EXPECT_EQ(table.Alias(5), "");

  WriteFileBytes(path, std::string(2944, 'a') + "tail");
  ASSERT_TRUE(table.Load(path).ok());
  EXPECT_EQ(table.Alias(127), std::string(22, 'a'));
  ASSERT_TRUE(table.Save(path).ok());
  EXPECT_EQ(ReadFileBytes(path).size(), 2948u);  // never cut
}

}  // namespace

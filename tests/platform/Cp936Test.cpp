#include "platform/Cp936.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// "中文" and "错误" in UTF-8 and in code page 936.
const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kChineseCp936 = "\xD6\xD0\xCE\xC4";
const std::string kErrorUtf8 = "\xE9\x94\x99\xE8\xAF\xAF";
const std::string kErrorCp936 = "\xB4\xED\xCE\xF3";
const std::string kEuroUtf8 = "\xE2\x82\xAC";
const std::string kReplacement = "\xEF\xBF\xBD";
const std::string kEmoji = "\xF0\x9F\x98\x80";  // outside the code page

TEST(Cp936, ConvertsBothWays) {
  EXPECT_EQ(Utf8ToCp936("Slave 1: 12.5 Pa"), "Slave 1: 12.5 Pa");
  EXPECT_EQ(Utf8ToCp936(kChineseUtf8 + "CH1" + kErrorUtf8), kChineseCp936 + "CH1" + kErrorCp936);
  EXPECT_EQ(Cp936ToUtf8(kChineseCp936 + "CH1" + kErrorCp936), kChineseUtf8 + "CH1" + kErrorUtf8);
  EXPECT_EQ(Utf8ToCp936(kEuroUtf8), "\x80");
  EXPECT_EQ(Cp936ToUtf8("5\x80"), "5" + kEuroUtf8);
}

TEST(Cp936, BytesThatDoNotDecodeBecomeReplacementCharacters) {
  EXPECT_EQ(Cp936ToUtf8("a\xFF" "b"), "a" + kReplacement + "b");
  EXPECT_EQ(Cp936ToUtf8(kChineseCp936 + "\xD6"), kChineseUtf8 + kReplacement);  // cut-off pair
  EXPECT_EQ(Cp936ToUtf8("\x81\x30" "x"), kReplacement + "0x");
}

TEST(Cp936, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp936("a" + kEmoji + "\xEA\xB0\x80" + kChineseUtf8), "a??" + kChineseCp936);
  EXPECT_EQ(Utf8ToCp936("\xFF\xFEz\xC3"), "??z?");  // bytes that are not UTF-8
  EXPECT_EQ(Cp936Length("a" + kEmoji + kChineseUtf8 + kEuroUtf8), 7u);
  EXPECT_TRUE(EncodableInCp936(kChineseUtf8 + kEuroUtf8 + "m3/h"));
  EXPECT_FALSE(EncodableInCp936("a" + kEmoji));
  EXPECT_FALSE(EncodableInCp936("x\xC3"));
}

TEST(Cp936, ConvertsConcurrentlyFromManyThreads) {
  std::vector<std::thread> threads;
  std::vector<int> failures(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 2000; ++i) {
        const std::string text = kChineseUtf8 + std::to_string(i * 8 + t) + kErrorUtf8;
        if (Cp936ToUtf8(Utf8ToCp936(text)) != text) ++failures[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

}  // namespace

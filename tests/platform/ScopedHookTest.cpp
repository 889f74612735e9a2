// Scoped hooks nest: each one that goes puts back the hook it replaced, down to the real call.

#include "platform/ScopedHook.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace {

using TextHook = std::function<std::string()>;
HookSeam<TextHook> g_textSeam;
TextHook SetTextHook(TextHook hook) { return g_textSeam.Set(std::move(hook)); }
std::string Text() { return g_textSeam.Get() ? g_textSeam.Get()() : "real"; }

using NumberHook = int (*)();
HookSeam<NumberHook> g_numberSeam;
NumberHook SetNumberHook(NumberHook hook) { return g_numberSeam.Set(hook); }
int Number() { return g_numberSeam.Get() ? g_numberSeam.Get()() : 0; }

}  // namespace

TEST(ScopedHookTest, NestedHooksComeBackInTurnDownToTheRealCall) {
  {
    const ScopedHook<TextHook, &SetTextHook> outer([] { return std::string("outer"); });
    const ScopedHook<NumberHook, &SetNumberHook> outerNumber([] { return 1; });
    EXPECT_EQ(Text(), "outer");
    {
      const ScopedHook<TextHook, &SetTextHook> inner([] { return std::string("inner"); });
      const ScopedHook<NumberHook, &SetNumberHook> innerNumber([] { return 2; });
      EXPECT_EQ(Text(), "inner");
      EXPECT_EQ(Number(), 2);
    }
    EXPECT_EQ(Text(), "outer");
    EXPECT_EQ(Number(), 1);
  }
  EXPECT_EQ(Text(), "real");
  EXPECT_EQ(Number(), 0);
}

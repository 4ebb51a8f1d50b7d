#include "palette/line_buffer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/char_steps.h"

namespace {

int releases = 0;
void CountingRelease(void* block) {
  ++releases;
  std::free(block);
}
constexpr LineAllocator kCountingHeap = {test_steps::ZeroAlloc, CountingRelease};

class LineBufferTest : public ::testing::Test {
 protected:
  int Load(const std::string& text) {
    return LoadLineBuffer(store, text.c_str(), text.size(), test_steps::kHeap);
  }
  std::string Line(int index, int limit = 260) const {
    char buffer[300] = "untouched";
    if (GetBufferLine(store, buffer, index, limit) != 0) return "<none>";
    return buffer;
  }
  static std::string Lines(int count, const char* ending) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "line" + std::to_string(i) + ending;
    return text;
  }

  LineBuffer store;
};

TEST_F(LineBufferTest, EveryBreakKindEndsOneLine) {
  ASSERT_EQ(Load("a\r\nb\r\n"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 2);
  EXPECT_EQ(Line(0), "a\r");
  EXPECT_EQ(Line(1), "b\r");
  EXPECT_EQ(Line(2), "");

  ASSERT_EQ(Load("a\n\rb\r"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 2);
  EXPECT_EQ(Line(0), "a\n");
  EXPECT_EQ(Line(1), "b");

  // Equal characters in a row are two breaks with an empty line between.
  ASSERT_EQ(Load("a\n\nb\r"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 3);
  EXPECT_EQ(Line(0), "a");
  EXPECT_EQ(Line(1), "");
  EXPECT_EQ(Line(2), "b");

  ASSERT_EQ(Load("a\r\rb\n\nc\r\n\r\nd\n"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 7);
  const char* expected[] = {"a", "", "b", "", "c\r", "\r", "d", ""};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Line(i), expected[i]) << i;
}

TEST_F(LineBufferTest, ACrIsAppendedUnlessTheTextEndsInABreak) {
  ASSERT_EQ(Load("a\nbc"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 2);
  EXPECT_EQ(Line(0), "a");
  EXPECT_EQ(Line(1), "bc");
  EXPECT_EQ(Line(2), "");

  // One character after the last break is left out of the count.
  ASSERT_EQ(Load("a\rb"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 1);
  EXPECT_EQ(Line(0), "a");
  EXPECT_EQ(Line(1), "b");
  EXPECT_EQ(Line(2), "<none>");

  ASSERT_EQ(Load("a\r\x1a"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 1);
  EXPECT_EQ(Line(1), "\x1a");

  ASSERT_EQ(Load("ab"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 1);
  EXPECT_EQ(Line(0), "ab");

  ASSERT_EQ(Load(""), 0);
  EXPECT_EQ(GetBufferLineCount(store), 1);
  EXPECT_EQ(Line(0), "");

  ASSERT_EQ(Load("x"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 1);
  EXPECT_EQ(Line(0), "x");

  ASSERT_EQ(Load("\n"), 0);
  EXPECT_EQ(GetBufferLineCount(store), 1);
  EXPECT_EQ(Line(0), "");
}

TEST_F(LineBufferTest, CountsAtMost2047Lines) {
  ASSERT_EQ(Load(Lines(3000, "\r")), 0);
  EXPECT_EQ(GetBufferLineCount(store), 2047);
  EXPECT_EQ(Line(0), "line0");
  EXPECT_EQ(Line(2046), "line2046");
  EXPECT_EQ(Line(2047), "line2047");
  EXPECT_EQ(Line(2048), "<none>");

  ASSERT_EQ(Load(Lines(2047, "\r")), 0);
  EXPECT_EQ(GetBufferLineCount(store), 2047);
  EXPECT_EQ(Line(2046), "line2046");
  EXPECT_EQ(Line(2047), "");

  ASSERT_EQ(Load(Lines(2048, "\r\n")), 0);
  EXPECT_EQ(GetBufferLineCount(store), 2047);
  EXPECT_EQ(Line(2047), "line2047\r");

  ASSERT_EQ(Load(Lines(2046, "\n")), 0);
  EXPECT_EQ(GetBufferLineCount(store), 2046);
  EXPECT_EQ(Line(2046), "");
}

TEST_F(LineBufferTest, LinesAreCutToTheLimit) {
  ASSERT_EQ(Load("abcdef\rxy\r"), 0);
  EXPECT_EQ(Line(0, 1), "");
  EXPECT_EQ(Line(0, 4), "abc");
  EXPECT_EQ(Line(0, 7), "abcdef");
  EXPECT_EQ(Line(1, 3), "xy");
  EXPECT_EQ(Line(1, 2), "x");
  const std::string longLine(400, 'q');
  ASSERT_EQ(Load(longLine + "\r"), 0);
  EXPECT_EQ(Line(0, 259), std::string(258, 'q'));
}

TEST_F(LineBufferTest, OutOfRangeLeavesTheDestinationAlone) {
  ASSERT_EQ(Load("a\rb\r"), 0);
  char buffer[16] = "untouched";
  EXPECT_EQ(GetBufferLine(store, buffer, -1, 16), -1);
  EXPECT_EQ(GetBufferLine(store, buffer, 3, 16), -1);
  EXPECT_EQ(GetBufferLine(store, buffer, 0, 0), -1);
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(GetBufferLine(store, buffer, 2, 16), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(LineBufferTest, EmptyStoreAnswersMinusOne) {
  FreeLineBuffer(store);
  char buffer[8] = "x";
  EXPECT_EQ(GetBufferLineCount(store), -1);
  EXPECT_EQ(GetBufferLine(store, buffer, 0, 8), -1);
  EXPECT_STREQ(buffer, "x");

  ASSERT_EQ(Load("a\r"), 0);
  EXPECT_EQ(FreeLineBuffer(store), 1);
  EXPECT_EQ(FreeLineBuffer(store), 0);
  EXPECT_EQ(GetBufferLineCount(store), -1);

  // A failed allocation leaves the store empty, the old text already gone.
  ASSERT_EQ(Load("a\r"), 0);
  EXPECT_EQ(LoadLineBuffer(store, "b\r", 2, test_steps::kNoMemory), -1);
  EXPECT_EQ(GetBufferLineCount(store), -1);
  EXPECT_EQ(store.text, nullptr);

  ASSERT_EQ(Load("a\r"), 0);
  EXPECT_EQ(LoadLineBuffer(store, nullptr, 0, test_steps::kHeap), -1);
  EXPECT_EQ(GetBufferLineCount(store), -1);
  EXPECT_EQ(FreeLineBuffer(store), 0);
}

TEST_F(LineBufferTest, EveryTextIsReleasedOnceWithItsOwnAllocator) {
  releases = 0;
  ASSERT_EQ(LoadLineBuffer(store, "a\r", 2, kCountingHeap), 0);
  ASSERT_EQ(LoadLineBuffer(store, "b\r", 2, kCountingHeap), 0);
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(Line(0), "b");
  EXPECT_EQ(LoadLineBuffer(store, nullptr, 0, test_steps::kHeap), -1);
  EXPECT_EQ(releases, 2);
  EXPECT_EQ(FreeLineBuffer(store), 0);
  EXPECT_EQ(releases, 2);
}

TEST_F(LineBufferTest, TextEndsAtItsFirstZeroOrItsLength) {
  const char withZero[] = {'a', '\r', 'b', '\0', 'c', '\r'};
  ASSERT_EQ(LoadLineBuffer(store, withZero, sizeof withZero, test_steps::kHeap), 0);
  EXPECT_EQ(GetBufferLineCount(store), 1);
  EXPECT_EQ(Line(1), "b");

  // A file's block carries no terminator: nothing past its length is read.
  const auto bytes = std::make_unique<char[]>(3);
  bytes[0] = 'a';
  bytes[1] = '\n';
  bytes[2] = 'b';
  ASSERT_EQ(LoadLineBuffer(store, bytes.get(), 2, test_steps::kHeap), 0);
  EXPECT_EQ(GetBufferLineCount(store), 1);
  EXPECT_EQ(Line(0), "a");
  EXPECT_EQ(Line(1), "");
  ASSERT_EQ(LoadLineBuffer(store, bytes.get(), 3, test_steps::kHeap), 0);
  EXPECT_EQ(Line(1), "b");
}

TEST(LineBuffer, EachStoreHoldsItsOwnTextAndFreesItWhenItGoes) {
  releases = 0;
  {
    LineBuffer first;
    LineBuffer second;
    ASSERT_EQ(LoadLineBuffer(first, "a\rb\r", 4, kCountingHeap), 0);
    ASSERT_EQ(LoadLineBuffer(second, "c\r", 2, kCountingHeap), 0);
    EXPECT_EQ(GetBufferLineCount(first), 2);
    EXPECT_EQ(GetBufferLineCount(second), 1);
    EXPECT_EQ(FreeLineBuffer(second), 1);
    char line[8] = "";
    ASSERT_EQ(GetBufferLine(first, line, 1, sizeof line), 0);
    EXPECT_STREQ(line, "b");
    EXPECT_EQ(releases, 1);
  }
  EXPECT_EQ(releases, 2);
}

TEST(CopyTextSpan, StopsAtTheSpanTheLimitOrTheZero) {
  char out[8];
  CopyTextSpan(out, "abcdef", 3, 1, 8);
  EXPECT_STREQ(out, "bc");
  CopyTextSpan(out, "abcdef", 10, 1, 4);
  EXPECT_STREQ(out, "bcd");
  CopyTextSpan(out, "ab", 10, 0, 8);
  EXPECT_STREQ(out, "ab");
  CopyTextSpan(out, "ab", 1, 0, 8);
  EXPECT_STREQ(out, "");
}

}  // namespace

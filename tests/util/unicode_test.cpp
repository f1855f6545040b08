// UTF-8/UTF-16 conversion, code points and full-width folding.
#include "util/unicode.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(Unicode, RoundTripsChineseAndAstralText) {
  const std::string text = "断面K12+235.689 \xF0\x9F\x98\x80";
  std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide.size(), 2u + 11u + 1u + 2u);  // the emoji is a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(Unicode, InvalidInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xE6\x96"), u"\uFFFD\uFFFD");  // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD");       // overlong form
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(Unicode, CountsAndCutsCodePoints) {
  EXPECT_EQ(CodePointCount("实测面积(m2)"), 8u);
  EXPECT_EQ(CodePointSubstr("实测面积(m2)", 6, 1), "2");
  EXPECT_EQ(CodePointSubstr("abc", 5, 1), "");
  EXPECT_EQ(CodePointSubstr("横断面", 1), "断面");
}

TEST(Unicode, FoldsFullWidthForms) {
  EXPECT_EQ(Utf16ToUtf8(FoldFullWidth(Utf8ToUtf16("１２，３．５ＡＢ　ｚ（）"))), "12,3.5AB z()");
  EXPECT_EQ(Utf16ToUtf8(FoldFullWidth(Utf8ToUtf16("断面"))), "断面");
}

TEST(Unicode, SplitsAtEverySeparator) {
  auto parts = SplitText("a\r\nb\r\n", "\r\n");
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0], "a");
  EXPECT_EQ(parts[1], "b");
  EXPECT_EQ(parts[2], "");
  EXPECT_EQ(SplitText("", ",").size(), 1u);
}

TEST(Unicode, AsciiCaseOnly) {
  EXPECT_EQ(AsciiLower("CadWeb 断"), "cadweb 断");
  EXPECT_EQ(AsciiUpper("a.zm"), "A.ZM");
}

}  // namespace
}  // namespace kestrel

// UTF-8 scripts and Shift-JIS engine texts: exact bytes both ways, refusals and replacements.
#include <gtest/gtest.h>

#include "tools/common/TextCodec.h"

namespace tamblet::tools {
namespace {

TEST(TextCodecTest, ConvertsExactBytesBothWays) {
  EXPECT_EQ(utf8ToSjis("ＭＳ ゴシック"), std::string("\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e"));
  EXPECT_EQ(utf8ToSjis("０－　←"), std::string("\x82\x4f\x81\x7c\x81\x40\x81\xa9"));
  EXPECT_EQ(utf8ToSjis("abc\\"), std::string("abc\\"));
  EXPECT_EQ(utf8ToSjis(""), std::string());
  EXPECT_EQ(sjisToUtf8("\x83\x67\x83\x89\x83\x93\x83\x57\x83\x56\x83\x87\x83\x93\x25\x64"), "トランジション%d");
  EXPECT_EQ(sjisToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextCodecTest, RefusesWhatShiftJisCannotHoldAndReplacesBrokenBytes) {
  EXPECT_FALSE(utf8ToSjis("\xff").has_value());           // not UTF-8
  EXPECT_FALSE(utf8ToSjis("\xe3\x81").has_value());       // cut off
  EXPECT_FALSE(utf8ToSjis("\xf0\x9f\x98\x80").has_value());  // an emoji has no Shift-JIS code
  EXPECT_EQ(sjisToUtf8("\x82"), "\xEF\xBF\xBD");         // a lone lead byte
  EXPECT_EQ(sjisToUtf8("a\x82\xa0\x82"), "aあ\xEF\xBF\xBD");
  EXPECT_EQ(sjisToUtf8("\x85\x40z"), "\xEF\xBF\xBD@z");   // an undefined code: one byte replaced, then on
}

}  // namespace
}  // namespace tamblet::tools

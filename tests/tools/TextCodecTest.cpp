// The tools' UTF-8 / Shift-JIS conversion, byte for byte. The same table runs against iconv on Linux
// and the system code pages on Windows, so the two builds take and give the same texts: JIS
// look-alikes both ways, undefined bytes and cut-off sequences as U+FFFD with conversion going on,
// characters with no code refused whole.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tools/common/TextCodec.h"

namespace {

using tamblet::tools::sjisToUtf8;
using tamblet::tools::utf8ToSjis;

struct ToSjisCase {
  const char* name;
  const char* utf8;
  std::optional<std::string> sjis;
};

const ToSjisCase kToSjis[] = {
    {"Ascii", "Go 1~\\", std::string("Go 1~\\")},
    {"KanjiAndKana", "夜明けｱ", std::string("\x96\xE9\x96\xBE\x82\xAF\xB1")},
    {"ExtensionRows", "①髙∑", std::string("\x87\x40\xFB\xFC\x87\x94")},
    {"FullwidthForms", "～－￠＼", std::string("\x81\x60\x81\x7C\x81\x91\x81\x5F")},
    {"JisLookAlikes", "〜−¢£¬‖—", std::string("\x81\x60\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x61\x81\x5C")},
    {"YenAndOverline", "¥‾", std::string("\x5C\x7E")},
    {"Empty", "", std::string()},
    {"NoCodeForEmoji", "a\xF0\x9F\x98\x80", std::nullopt},
    {"NoCodeForHangul", "한", std::nullopt},
    {"CutOffUtf8", "ab\xE3\x81", std::nullopt},
    {"StrayContinuationByte", "a\x80z", std::nullopt},
};

class ToSjis : public ::testing::TestWithParam<ToSjisCase> {};

TEST_P(ToSjis, WritesTheCodePageBytesOrNothing) {
  EXPECT_EQ(utf8ToSjis(GetParam().utf8), GetParam().sjis);
}

INSTANTIATE_TEST_SUITE_P(TextCodec, ToSjis, ::testing::ValuesIn(kToSjis),
                         [](const auto& tested) { return std::string(tested.param.name); });

struct ToUtf8Case {
  const char* name;
  std::string sjis;
  std::string utf8;
};

const ToUtf8Case kToUtf8[] = {
    {"KanjiAndKana", "\x96\xE9\x96\xBE\x82\xAF\xB1", "夜明けｱ"},
    {"MicrosoftForms", std::string("\x81\x60\x81\x5C\x81\x61\x81\x7C\x81\x91", 10), "～―∥－￠"},
    {"BackslashAndTilde", "\x5C\x7E", "\\~"},
    {"UserDefinedArea", "\xF0\x40", "\xEE\x80\x80"},
    {"LeadByteCutOff", "a\x82", "a\xEF\xBF\xBD"},
    {"InvalidTrailGoesOnAtIt", "\x82\x20z", "\xEF\xBF\xBD z"},
    {"UndefinedSingleBytes", "\x80\xA0\xFD\xFE\xFFk", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDk"},
    {"UndefinedPair", "\x81\x7F", "\xEF\xBF\xBD\x7F"},
    {"NulKept", std::string("a\0b", 3), std::string("a\0b", 3)},
};

class ToUtf8 : public ::testing::TestWithParam<ToUtf8Case> {};

TEST_P(ToUtf8, ReplacesWhatDoesNotConvertAndGoesOn) {
  EXPECT_EQ(sjisToUtf8(GetParam().sjis), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(TextCodec, ToUtf8, ::testing::ValuesIn(kToUtf8),
                         [](const auto& tested) { return std::string(tested.param.name); });

}  // namespace

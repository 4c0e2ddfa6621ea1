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

TEST(TextCodec, WritesTheCodePageBytesOrNothing) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"Go 1~\\", "Go 1~\\"},
      {"夜明けｱ", "\x96\xE9\x96\xBE\x82\xAF\xB1"},
      {"①髙∑", "\x87\x40\xFB\xFC\x87\x94"},  // extension rows
      {"～－￠＼", "\x81\x60\x81\x7C\x81\x91\x81\x5F"},
      {"〜−¢£¬‖—", "\x81\x60\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x61\x81\x5C"},  // JIS look-alikes
      {"¥‾", "\x5C\x7E"},
      {"", ""},
      {"a\xF0\x9F\x98\x80", std::nullopt},  // no code for an emoji
      {"한", std::nullopt},                  // nor for hangul
      {"ab\xE3\x81", std::nullopt},         // cut-off UTF-8
      {"a\x80z", std::nullopt},             // a stray continuation byte
  };
  for (const auto& [utf8, sjis] : cases) EXPECT_EQ(utf8ToSjis(utf8), sjis) << utf8;
}

TEST(TextCodec, ReplacesWhatDoesNotConvertAndGoesOn) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x96\xE9\x96\xBE\x82\xAF\xB1", "夜明けｱ"},
      {std::string("\x81\x60\x81\x5C\x81\x61\x81\x7C\x81\x91", 10), "～―∥－￠"},  // the Microsoft forms
      {"\x5C\x7E", "\\~"},
      {"\xF0\x40", "\xEE\x80\x80"},  // the user-defined area
      {"a\x82", "a\xEF\xBF\xBD"},    // a lead byte cut off
      {"\x82\x20z", "\xEF\xBF\xBD z"},  // an invalid trail: conversion goes on at it
      {"\x80\xA0\xFD\xFE\xFFk", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDk"},
      {"\x81\x7F", "\xEF\xBF\xBD\x7F"},  // an undefined pair
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [sjis, utf8] : cases) EXPECT_EQ(sjisToUtf8(sjis), utf8);
}

}  // namespace

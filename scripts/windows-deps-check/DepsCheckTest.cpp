// One Windows test program over every library of the dependency prefix: each is called for real
// (compress, encode, decode, archive, run a script, parse a command line) and the results are
// compared byte for byte, so a wrong build, header or link shows up here and not in the tree.
#include <CLI/CLI.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <lua.hpp>
#include <png.h>
#include <zip.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(DepsCheck, ZlibCrcAndRoundTrip) {
  const std::string text = "123456789";
  EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(text.data()), text.size()), 0xCBF43926u);
  Bytes packed(compressBound(text.size()));
  uLongf packedSize = packed.size();
  ASSERT_EQ(compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(text.data()), text.size(), 9), Z_OK);
  std::string back(text.size(), '\0');
  uLongf backSize = back.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(back.data()), &backSize, packed.data(), packedSize), Z_OK);
  EXPECT_EQ(back, text);
}

TEST(DepsCheck, PngWritesAndReadsExactPixels) {
  const Bytes pixels = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 1, 2, 3, 4, 250, 251, 252, 253, 9, 8, 7, 6};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 3;
  image.height = 2;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
  Bytes file(size);
  ASSERT_TRUE(png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0, nullptr));
  EXPECT_THAT(Bytes(file.begin(), file.begin() + 8), testing::ElementsAre(137, 80, 78, 71, 13, 10, 26, 10));

  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&read, file.data(), size));
  read.format = PNG_FORMAT_RGBA;
  Bytes back(PNG_IMAGE_SIZE(read));
  ASSERT_TRUE(png_image_finish_read(&read, nullptr, back.data(), 0, nullptr));
  EXPECT_EQ(back, pixels);
}

TEST(DepsCheck, JpegRoundTripOfAFlatImageIsExact) {
  constexpr int kSide = 16;
  const Bytes gray(kSide * kSide, 0x80);
  jpeg_error_mgr errors{};
  jpeg_compress_struct out{};
  out.err = jpeg_std_error(&errors);
  jpeg_create_compress(&out);
  unsigned char* file = nullptr;
  unsigned long fileSize = 0;
  jpeg_mem_dest(&out, &file, &fileSize);
  out.image_width = kSide;
  out.image_height = kSide;
  out.input_components = 1;
  out.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&out);
  jpeg_set_quality(&out, 90, TRUE);
  jpeg_start_compress(&out, TRUE);
  while (out.next_scanline < out.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(gray.data() + out.next_scanline * kSide);
    jpeg_write_scanlines(&out, &row, 1);
  }
  jpeg_finish_compress(&out);
  jpeg_destroy_compress(&out);
  ASSERT_GT(fileSize, 4u);
  EXPECT_EQ(file[0], 0xFF);
  EXPECT_EQ(file[1], 0xD8);

  jpeg_decompress_struct in{};
  in.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&in);
  jpeg_mem_src(&in, file, fileSize);
  ASSERT_EQ(jpeg_read_header(&in, TRUE), JPEG_HEADER_OK);
  jpeg_start_decompress(&in);
  Bytes back(kSide * kSide);
  while (in.output_scanline < in.output_height) {
    JSAMPROW row = back.data() + in.output_scanline * kSide;
    jpeg_read_scanlines(&in, &row, 1);
  }
  jpeg_finish_decompress(&in);
  jpeg_destroy_decompress(&in);
  std::free(file);
  EXPECT_EQ(back, gray);
}

TEST(DepsCheck, ZipWritesAndReadsADeflatedEntry) {
  const std::string path = (std::filesystem::temp_directory_path() / "deps-check.zip").string();
  const std::string text(1000, 'z');
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr) << error;
  zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
  zip_int64_t index = zip_file_add(archive, "a.txt", source, ZIP_FL_ENC_UTF_8);
  ASSERT_EQ(index, 0);
  ASSERT_EQ(zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, 9), 0);
  ASSERT_EQ(zip_close(archive), 0);

  archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  ASSERT_NE(archive, nullptr) << error;
  zip_stat_t stat;
  ASSERT_EQ(zip_stat_index(archive, 0, 0, &stat), 0);
  EXPECT_EQ(stat.comp_method, ZIP_CM_DEFLATE);
  EXPECT_LT(stat.comp_size, stat.size);
  std::string back(stat.size, '\0');
  zip_file_t* entry = zip_fopen_index(archive, 0, 0);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(zip_fread(entry, back.data(), back.size()), static_cast<zip_int64_t>(text.size()));
  zip_fclose(entry);
  zip_close(archive);
  std::remove(path.c_str());
  EXPECT_EQ(back, text);

  EXPECT_EQ(zip_open((path + ".missing").c_str(), ZIP_RDONLY, &error), nullptr);
  EXPECT_EQ(error, ZIP_ER_NOENT);
}

struct LuaCase {
  const char* script;
  const char* expected;
};

void PrintTo(const LuaCase& value, std::ostream* out) { *out << value.script; }

class DepsCheckLua : public testing::TestWithParam<LuaCase> {};

// Each script's single result through tostring, as the player would print it; the float cases
// need the C99 printf (two-digit exponents) to read as on Linux.
TEST_P(DepsCheckLua, RunsAndPrints) {
  lua_State* state = luaL_newstate();
  luaL_openlibs(state);
  ASSERT_EQ(luaL_dostring(state, (std::string("return tostring((function() ") + GetParam().script + " end)())").c_str()),
            LUA_OK)
      << lua_tostring(state, -1);
  EXPECT_STREQ(lua_tostring(state, -1), GetParam().expected);
  lua_close(state);
}

INSTANTIATE_TEST_SUITE_P(Scripts, DepsCheckLua,
                         testing::Values(LuaCase{"return 1+1", "2"}, LuaCase{"return 2^53", "9.007199254741e+15"},
                                         LuaCase{"return 1/3", "0.33333333333333"},
                                         LuaCase{"return string.format('%5.2f|%x', 3.14159, 255)", " 3.14|ff"},
                                         LuaCase{"return ('ab'):rep(3, '-')", "ab-ab-ab"},
                                         LuaCase{"return math.tointeger(3.0)", "3"}));

TEST(DepsCheck, Cli11ParsesOptions) {
  CLI::App app{"check"};
  int size = 0;
  std::string name;
  app.add_option("--size", size)->required();
  app.add_option("name", name);
  const char* argv[] = {"check", "--size", "7", "frame"};
  app.parse(4, argv);
  EXPECT_EQ(size, 7);
  EXPECT_EQ(name, "frame");
}

}  // namespace

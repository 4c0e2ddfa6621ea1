// Before Init every export answers its failure value without touching anything; Error falls
// back to the debugger output (stderr here).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "EngineLibrary.h"
#include "host/EngineObjects.h"

namespace {

using tamblet::IInterface;
using tamblet::InterfaceId;
using tamblet::IString;

class FixedString final : public IString {
 public:
  explicit FixedString(const char* text) : text_(text) {}
  const char* GetText() override { return text_; }
  void SetText(const char*) override {}

 private:
  const char* text_;
};

// Captures what is written to stderr while `action` runs.
template <class Action>
std::string captureStderr(Action action) {
  std::fflush(stderr);
  FILE* capture = std::tmpfile();
  const int saved = dup(2);
  dup2(fileno(capture), 2);
  action();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text;
  std::rewind(capture);
  for (int c; (c = std::fgetc(capture)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(capture);
  return text;
}

TEST(BeforeInit, ExportsAnswerTheirFailureValues) {
  tamblet::testing::EngineLibrary library;
  auto* getInterface = library.find<IInterface*(const InterfaceId*)>("GetInterface");
  auto* width = library.find<std::int32_t()>("GetScreenWidth");
  auto* height = library.find<std::int32_t()>("GetScreenHeight");
  ASSERT_TRUE(getInterface && width && height);

  EXPECT_EQ(getInterface(&tamblet::kIID_IVelmErrorMessage), nullptr);
  EXPECT_EQ(getInterface(&tamblet::kIID_IDrawD3DPluginManager), nullptr);
  EXPECT_EQ(getInterface(&tamblet::kIID_IKOVFileManager), nullptr);
  EXPECT_EQ(getInterface(nullptr), nullptr);
  EXPECT_EQ(width(), 0);
  EXPECT_EQ(height(), 0);
}

TEST(BeforeInit, ErrorGoesToTheDebuggerOutputLiterally) {
  tamblet::testing::EngineLibrary library;
  auto* error = library.find<void(IString*)>("Error");
  ASSERT_NE(error, nullptr);

  FixedString percent("100%");
  EXPECT_EQ(captureStderr([&] { error(&percent); }), "100%\n");
  EXPECT_EQ(captureStderr([&] { error(nullptr); }), "\n");
  FixedString nullText(nullptr);
  EXPECT_EQ(captureStderr([&] { error(&nullText); }), "\n");
}

}  // namespace

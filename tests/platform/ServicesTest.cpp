// Message output, the clock, module lookup and memory figures: the process-wide services and the
// way tests replace them.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Modules.h"
#include "platform/ProcessMemory.h"

namespace tamblet::platform {
namespace {

struct RecordingSink final : MessageSink {
  void debugOutput(const std::string& text) override { debug.push_back(text); }
  void messageBox(const std::string& text, const std::string& caption, MessageBoxStyle style) override {
    boxes.push_back(text + "|" + caption + "|" + std::to_string(static_cast<int>(style)));
  }
  std::vector<std::string> debug, boxes;
};

TEST(Messages, SinkReceivesShiftJisAndStderrGetsUtf8) {
  RecordingSink sink;
  setMessageSink(&sink);
  debugOutput("\x82\xA0");
  debugOutput(nullptr);
  messageBox(nullptr, nullptr, MessageBoxStyle::kSystemError);
  messageBox("\x81\xAC", "Cap", MessageBoxStyle::kForegroundTopmost);
  setMessageSink(nullptr);
  EXPECT_EQ(sink.debug, (std::vector<std::string>{"\x82\xA0", ""}));
  EXPECT_EQ(sink.boxes, (std::vector<std::string>{"||0", "\x81\xAC|Cap|1"}));

  ::testing::internal::CaptureStderr();
  debugOutput("\x82\xA0");
  debugOutput("line\n");
  debugOutput("");
  messageBox("\x81\xAC", "", MessageBoxStyle::kSystemError);
  messageBox("x\n", "Cap\x82\xA0", MessageBoxStyle::kForegroundTopmost);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "\xE3\x81\x82\n"
            "line\n"
            "[message box: Error] \xE3\x80\x93\n"
            "[message box: Cap\xE3\x81\x82] x\n");
  EXPECT_EQ(sink.debug.size(), 2u);  // the sink no longer receives anything
}

struct SimulatedClock final : Clock {
  std::uint32_t tickCount() override { return now; }
  void sleep(std::uint32_t milliseconds) override {
    slept.push_back(milliseconds);
    now += milliseconds;
  }
  LocalTime localTime() override { return {2001, 2, 3, 6, 4, 5, 6, 789}; }
  std::uint32_t now = 0xFFFFFFF0u;
  std::vector<std::uint32_t> slept;
};

volatile sig_atomic_t alarms = 0;

TEST(Clock, SimulatedAndRealClocks) {
  SimulatedClock simulated;
  setClock(&simulated);
  sleepMilliseconds(16);
  sleepMilliseconds(1);
  EXPECT_EQ(tickCount(), 1u);  // wrapped
  EXPECT_EQ(simulated.slept, (std::vector<std::uint32_t>{16, 1}));
  EXPECT_EQ(localTime().millisecond, 789);
  setClock(nullptr);

  // The real tick count is the monotonic clock in milliseconds, truncated to 32 bits.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  EXPECT_LE(tickCount() - static_cast<std::uint32_t>(now.tv_sec * 1000ull + now.tv_nsec / 1000000), 50u);
  time_t seconds = time(nullptr);
  tm parts{};
  localtime_r(&seconds, &parts);
  const LocalTime when = localTime();
  EXPECT_EQ(when.year * 100 + when.month, (parts.tm_year + 1900) * 100 + parts.tm_mon + 1);
  EXPECT_EQ(when.dayOfWeek, parts.tm_wday);
  EXPECT_TRUE(when.millisecond >= 0 && when.millisecond <= 999);

  // A sleep lasts the whole time even when signals interrupt it (no SA_RESTART).
  struct sigaction action {}, previous{};
  action.sa_handler = [](int) { alarms = alarms + 1; };
  ASSERT_EQ(sigaction(SIGALRM, &action, &previous), 0);
  itimerval timer{{0, 5000}, {0, 5000}}, stop{};
  setitimer(ITIMER_REAL, &timer, nullptr);
  const auto start = std::chrono::steady_clock::now();
  sleepMilliseconds(40);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  setitimer(ITIMER_REAL, &stop, nullptr);
  sigaction(SIGALRM, &previous, nullptr);
  EXPECT_GT(alarms, 0);
  EXPECT_GE(elapsed, std::chrono::milliseconds(40));
}

TEST(Modules, DefaultLookupFindsOnlyAlreadyLoadedObjectsBySoname) {
  const char* path = TAMBLET_FAKE_MODULE_PATH;
  EXPECT_EQ(findModuleSymbol("FakeModule.dll", "CreateInterface"), nullptr);
  EXPECT_EQ(dlopen(path, RTLD_LAZY | RTLD_NOLOAD), nullptr) << "the lookup must never load a module";

  void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  void* entry = findModuleSymbol("FakeModule.dll", "CreateInterface");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry, dlsym(handle, "CreateInterface"));
  EXPECT_EQ(findModuleSymbol("FakeModule.dll", "Missing"), nullptr);
  EXPECT_EQ(findModuleSymbol(nullptr, "CreateInterface"), nullptr);
  EXPECT_EQ(findModuleSymbol("FakeModule.dll", nullptr), nullptr);

  // The lookups hold no reference of their own: closing ours unloads the module.
  dlclose(handle);
  EXPECT_EQ(dlopen(path, RTLD_LAZY | RTLD_NOLOAD), nullptr);
  EXPECT_EQ(findModuleSymbol("FakeModule.dll", "CreateInterface"), nullptr);

  // An in-process resolver replaces the real objects, records lookups and can lose modules.
  int target = 0;
  InProcessModuleResolver resolver;
  resolver.addSymbol("KOVLoader.dll", "CreateInterface", &target);
  setModuleResolver(&resolver);
  EXPECT_EQ(findModuleSymbol("KOVLoader.dll", "CreateInterface"), &target);
  EXPECT_EQ(findModuleSymbol("KOVLoader.dll", "Other"), nullptr);
  EXPECT_EQ(findModuleSymbol("libc.so.6", "malloc"), nullptr);
  resolver.removeModule("KOVLoader.dll");
  EXPECT_EQ(findModuleSymbol("KOVLoader.dll", "CreateInterface"), nullptr);
  EXPECT_EQ(resolver.lookups(),
            (std::vector<std::string>{"KOVLoader.dll", "KOVLoader.dll", "libc.so.6", "KOVLoader.dll"}));
  resolver.clearLookups();
  setModuleResolver(nullptr);
  EXPECT_NE(findModuleSymbol("libc.so.6", "malloc"), nullptr);
  EXPECT_TRUE(resolver.lookups().empty());
}

TEST(ProcessMemory, FiguresFollowTouchedMemory) {
  const std::uint64_t before = processWorkingSetBytes();
  EXPECT_GT(before, 0u);
  constexpr std::size_t kSize = 64u << 20;
  char* block = static_cast<char*>(std::malloc(kSize));
  ASSERT_NE(block, nullptr);
  std::memset(block, 1, kSize);
  asm volatile("" : : "r"(block) : "memory");  // the pages must really be written
  EXPECT_GE(processWorkingSetBytes(), before + kSize / 2);
  std::free(block);
  // The kernel's counters are approximate to a few pages, so the peak is checked against the block.
  EXPECT_GE(processPeakWorkingSetBytes(), before + kSize / 2);
}

}  // namespace
}  // namespace tamblet::platform

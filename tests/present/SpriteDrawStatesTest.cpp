// The device calls a store draw makes, as golden logs: one scene per draw method × source alpha or
// none × opaque or not × add colour none / RGB / with alpha, drawn as one store through one
// render-state cache. Pinned are the whole call log, the effective state at each DrawPrimitive
// (every state the store draw set, folded) and the state left after the store, as one CRC over
// the lines, which are printed when it changes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "present/RenderStateCache.h"
#include "tests/present/StoreScene.h"
#include "tests/support/Checksum.h"

namespace tamblet::testing {
namespace {

class SpriteDrawStates : public StoreScene {
 protected:
  std::vector<std::string> drawRecorded() {
    device->clearCalls();
    device->setRecording(true);
    device->BeginScene();
    RenderStateCache cache(device.get());
    EXPECT_TRUE(store.draw(device.get(), cache));
    device->EndScene();
    device->setRecording(false);
    return device->calls();
  }
};

// Folds a Set call into the state: "Name(a, b, v)" is key "Name(a, b)" with value "v".
std::map<std::string, std::string> fold(std::map<std::string, std::string> state, const std::string& line) {
  if (line.rfind("Set", 0) != 0) return state;
  const std::size_t comma = line.rfind(", ");
  const std::size_t open = line.find('(');
  const std::size_t split = comma == std::string::npos || line.rfind("SetStreamSource", 0) == 0 ? open : comma;
  const bool whole = split == open;  // SetFVF(v), SetStreamSource(...): the call's name is the key
  state[whole ? line.substr(0, open) : line.substr(0, split) + ")"] =
      line.substr(split + (whole ? 1 : 2), line.size() - split - (whole ? 2 : 3));
  return state;
}

std::string joined(const std::map<std::string, std::string>& state) {
  std::string out;
  for (const auto& [key, value] : state) out += " " + key + "=" + value;
  return out;
}

TEST_F(SpriteDrawStates, GoldenLogsForEveryMethodAlphaOpacityAndAddColour) {
  const char* addNames[] = {"none", "rgb", "rgba"};
  std::vector<std::string> names;
  std::int32_t number = 1;
  for (int method = 0; method < 5; ++method)
    for (int alpha = 0; alpha < 2; ++alpha)
      for (int opaque = 0; opaque < 2; ++opaque)
        for (int add = 0; add < 3; ++add, ++number) {
          if (method == 4 && (alpha || opaque || add)) continue;  // one scene for an unknown method
          SpriteRecord& s = sprite(number, 4, 4, alpha ? Planes::PixelsAndAlpha : Planes::PixelsOnly);
          s.z = number;
          s.drawMethod = method == 4 ? 7 : method;
          s.blendRate = opaque ? 255 : 128;
          if (add) s.addColor[kRed] = 10, s.addColor[kGreen] = 20, s.addColor[kBlue] = 30;
          if (add == 2) s.addColor[kAlpha] = 40;
          names.push_back("method " + std::to_string(s.drawMethod) + " alpha " + std::to_string(alpha) + " opaque " +
                          std::to_string(opaque) + " add " + addNames[add]);
        }
  ASSERT_TRUE(store.rebuild(device.get(), table));
  const std::vector<std::string> calls = drawRecorded();

  std::vector<std::string> lines;
  std::map<std::string, std::string> state;
  std::size_t scene = 0;
  for (const std::string& call : calls) {
    lines.push_back(call);
    state = fold(state, call);
    if (call.rfind("DrawPrimitive", 0) == 0)
      lines.push_back("at " + call + " [" + (scene < names.size() ? names[scene++] : "?") + "]" + joined(state));
  }
  lines.push_back("after the store" + joined(state));
  EXPECT_EQ(scene, names.size());

  Checksum crc;
  for (const std::string& line : lines) crc.add(line.data(), line.size() + 1);
  EXPECT_EQ(crc.value(), 3484921958u) << [&] {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
  }();
}

// A failed SetRenderState is not remembered (the next set sends it again); a failed FVF fails the
// store draw, and the record's states are still reset.
TEST_F(SpriteDrawStates, FailedSetsAreRetriedAndAFailedFvfFailsTheDraw) {
  RenderStateCache cache(device.get());
  device->setRecording(true);
  device->failCall("SetRenderState", 1);
  EXPECT_FALSE(cache.setRenderState(D3DRS_ZENABLE, 0));
  EXPECT_TRUE(cache.setRenderState(D3DRS_ZENABLE, 0));
  EXPECT_TRUE(cache.setRenderState(D3DRS_ZENABLE, 0));
  EXPECT_EQ(device->calls().size(), 2u);

  SpriteRecord& s = sprite(1, 4, 4);
  s.addColor[kRed] = 1;
  ASSERT_TRUE(store.rebuild(device.get(), table));
  device->clearCalls();
  device->failCall("SetFVF", 1);
  device->BeginScene();
  RenderStateCache fresh(device.get());
  EXPECT_FALSE(store.draw(device.get(), fresh));
  device->EndScene();
  const std::vector<std::string>& calls = device->calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "DrawPrimitive(5, 0, 2)"), 0);
  EXPECT_EQ(calls[calls.size() - 2], "SetTextureStageState(0, 6, 1)");
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetRenderState(60, 4294967295)"), calls.end());
}

}  // namespace
}  // namespace tamblet::testing

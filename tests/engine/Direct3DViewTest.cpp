// The Direct3D view over the reference host: the mode switch and its mends, the plug-in manager
// handed out by GetInterface, attached draw plug-ins (Prepare in sprite-number order, Draw in draw
// order, never for a custom sprite), the lifecycle (no re-upload, device loss and reset, reference
// counts back to their start). Transitions in mode 1 are Direct3DTransitionTest's; failures of the
// store's textures are SpriteStoreTest's.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/EngineObjects.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet::testing {
namespace {

// A draw plug-in another module would attach: it logs its calls and counts its references.
class LoggingPlugin final : public IDXPlugin {
 public:
  LoggingPlugin(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++references; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return --references; }
  bool TAMBLET_HOSTCALL Prepare() override { return log_.push_back("prepare " + name_), true; }
  bool TAMBLET_HOSTCALL Draw() override { return log_.push_back("draw " + name_), drawAnswer; }
  bool TAMBLET_HOSTCALL OnLostDevice() override { return true; }
  bool TAMBLET_HOSTCALL OnResetDevice() override { return true; }
  bool TAMBLET_HOSTCALL Close() override { return true; }
  bool TAMBLET_HOSTCALL PrepareAgain() override { return true; }
  std::int32_t references = 1;
  bool drawAnswer = true;

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

class Direct3DView : public EngineFixture {
 protected:
  refhost::Direct3DService& service() { return host().kernel().direct3d(); }
  refhost::ReferenceDevice& device() { return service().device(); }
  std::int64_t count(const std::string& name) {
    return std::count_if(device().calls().begin(), device().calls().end(),
                         [&](const std::string& line) { return line.find(name + "(") != std::string::npos; });
  }
  CapturingMessageSink messages;
};

TEST_F(Direct3DView, ModeSwitchRegistersAndGivesEverythingBack) {
  const std::int32_t deviceReferences = device().referenceCount();
  EXPECT_EQ(VIEW_SetMode(1), 1);
  EXPECT_EQ(VIEW_GetMode(), 1);
  EXPECT_EQ(service().pluginCount(), 1u);
  ASSERT_EQ(SP_Create(1, 30, 20, 255, 0, 0, 255), 1);
  ASSERT_EQ(SP_Create(2, 1, 1, 0, 255, 0, 128), 1);
  EXPECT_EQ(Update(), 1);
  EXPECT_EQ(Debug_GetFillRate(), 0);
  EXPECT_GT(device().liveResources(), 0);

  EXPECT_EQ(VIEW_SetMode(0), 1);
  EXPECT_EQ(service().pluginCount(), 0u);
  EXPECT_EQ(device().liveResources(), 0);
  EXPECT_EQ(device().referenceCount(), deviceReferences);

  // Without the service the mode stays 0.
  host().kernel().withhold(kIID_IDirect3DPluginService);
  EXPECT_EQ(VIEW_SetMode(1), 0);
  EXPECT_EQ(VIEW_GetMode(), 0);
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(Direct3DView, PluginManagerAndAttachedPlugins) {
  std::vector<std::string> log;
  LoggingPlugin a(log, "a"), b(log, "b"), c(log, "c");
  ASSERT_EQ(VIEW_SetMode(1), 1);
  auto* plugins = static_cast<IDrawD3DPluginManager*>(GetInterface(&kIID_IDrawD3DPluginManager));
  ASSERT_NE(plugins, nullptr);
  EXPECT_EQ(plugins->Release(), 1);  // the engine core keeps its own
  EXPECT_FALSE(plugins->SetPlugin(4, &a));  // no such sprite
  for (std::int32_t n : {9, 5, 2}) ASSERT_EQ(SP_Create(n, 8, 8, 0, 0, 0, 255), 1);
  ASSERT_EQ(SP_CreateCustom(7), 1);
  ASSERT_EQ(Sprite_SetSurface(7, Sprite_GetConstSurface(5)), 1);  // drawable but for being custom
  ASSERT_EQ(SP_SetZ(2, 5), 1);  // draw order 5, 9, 2
  EXPECT_TRUE(plugins->SetPlugin(2, &a));
  EXPECT_TRUE(plugins->SetPlugin(5, &b));
  EXPECT_TRUE(plugins->SetPlugin(9, &a));
  EXPECT_TRUE(plugins->SetPlugin(7, &c));  // a custom sprite: prepared, never drawn
  EXPECT_TRUE(plugins->SetPlugin(5, &b));  // the same again: added before released
  EXPECT_EQ(b.references, 2);
  EXPECT_TRUE(plugins->HasPlugin(7));
  EXPECT_FALSE(plugins->HasPlugin(3));
  EXPECT_EQ(Update(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"prepare a", "prepare b", "prepare c", "prepare a", "draw b", "draw a",
                                           "draw a"}));
  // Sprite table, back scene and store each hold a reference.
  EXPECT_EQ(a.references, 7);

  b.drawAnswer = false;
  log.clear();
  EXPECT_EQ(Update(), 1);  // the host's frame fails, not the library's
  EXPECT_EQ(log.back(), "draw b");
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, fixedText(FixedText::kD3DViewDrawFailed));

  EXPECT_TRUE(plugins->RemovePluginEverywhere(&a));
  EXPECT_TRUE(plugins->RemovePlugin(5));
  EXPECT_TRUE(plugins->RemovePlugin(7));
  EXPECT_EQ(a.references, 1);
  EXPECT_EQ(Update(), 1);  // the back scene and the store let b and c go
  EXPECT_EQ(VIEW_SetMode(0), 1);
  EXPECT_EQ(b.references, 1);
  EXPECT_EQ(c.references, 1);
  EXPECT_EQ(plugins->Release(), 0);  // never freed: the core still uses it
}

// A device loss releases everything and the reset uploads every texture again before the next draw
// (that a frame uploads only new surfaces is SpriteStoreTest's).
TEST_F(Direct3DView, LossAndResetUploadEverythingAgainBeforeTheNextDraw) {
  ASSERT_EQ(VIEW_SetMode(1), 1);
  for (std::int32_t n = 1; n <= 3; ++n) ASSERT_EQ(SP_Create(n, 10 * n, 10, n, 2 * n, 3 * n, 255), 1);
  ASSERT_EQ(Update(), 1);
  device().setRecording(true);
  ASSERT_TRUE(service().simulateDeviceLoss());
  EXPECT_EQ(count("CreateTexture"), 3);
  EXPECT_EQ(count("LockRect"), 3);
  EXPECT_EQ(count("CreateVertexBuffer"), 1);
  EXPECT_EQ(count("DrawPrimitive"), 0);
  device().clearCalls();
  ASSERT_EQ(Update(), 1);
  EXPECT_EQ(count("LockRect"), 1);  // the white texture, made again by the next rebuild
  EXPECT_EQ(count("DrawPrimitive"), 3);
  EXPECT_TRUE(messages.boxes.empty());
}

}  // namespace
}  // namespace tamblet::testing

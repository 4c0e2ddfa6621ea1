// The reference holder: adopt takes over, retain adds, copies add, moves do not, reset and
// destruction give back exactly what was taken.
#include <gtest/gtest.h>

#include <utility>

#include "host/IInterface.h"
#include "host/Ref.h"

namespace tamblet {
namespace {

class Counted final : public IInterface {
 public:
  std::int32_t AddRef() override { return ++count; }
  std::int32_t Release() override { return --count; }
  int count = 1;
};

TEST(Ref, ReferencesBalance) {
  Counted object;
  {
    Ref<Counted> adopted = Ref<Counted>::adopt(&object);
    EXPECT_EQ(object.count, 1);
    Ref<Counted> retained = Ref<Counted>::retain(&object);
    EXPECT_EQ(object.count, 2);
    Ref<Counted> copy = retained;
    EXPECT_EQ(object.count, 3);
    Ref<Counted> moved = std::move(copy);
    EXPECT_EQ(object.count, 3);
    EXPECT_FALSE(copy);
    moved.reset();
    EXPECT_EQ(object.count, 2);
    copy = adopted;  // assignment over an empty holder
    EXPECT_EQ(object.count, 3);
    copy = copy;  // self-assignment keeps the count
    EXPECT_EQ(object.count, 3);
  }
  EXPECT_EQ(object.count, 0);

  object.count = 1;
  Ref<Counted> holder = Ref<Counted>::adopt(&object);
  Counted* detached = holder.detach();
  EXPECT_EQ(detached, &object);
  EXPECT_EQ(object.count, 1);
  EXPECT_FALSE(holder);
  EXPECT_FALSE(Ref<Counted>::retain(nullptr));
}

}  // namespace
}  // namespace tamblet

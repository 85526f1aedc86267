// SPDX-License-Identifier: Zlib
// sprite_exists checks sprite indices read from saved files: any value, of any
// kind, is answered 1 or 0 and never raises an error.
#include <cmath>

#include "LibraryTestSupport.h"
#include "data/GameData.h"
#include "graphics/Graphics.h"

namespace {

class SpriteExistsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Function_Find("sprite_exists") < 0) Graphics_RegisterBuiltins();
    // Sprites 0 and 2; slot 1 is empty, as a data file may leave it.
    data_.sprites.resize(3);
    data_.sprites[0].present = true;
    data_.sprites[0].record.name = "spr_First";
    data_.sprites[2].present = true;
    data_.sprites[2].record.name = "spr_Third";
    Graphics_BuildResources(data_);
  }
  void TearDown() override { Graphics_Shutdown(); }

  GameData data_;
};

TEST_F(SpriteExistsTest, OneForAWholeNumberNamingASpriteElseZero) {
  const DynValue int32 = DynValue_MakeInt32(2), int64 = DynValue_MakeInt64(2), boolean = DynValue_MakeBool(true);
  const struct {
    Cell value;
    double exists;
  } cases[] = {
      {0, 1},   {2, 1},        {Cell(int32), 1}, {Cell(int64), 1}, {1, 0},      {3, 0},
      {-1, 0},  {0.5, 0},      {2.0000001, 0},   {1e300, 0},       {-1e300, 0}, {std::nan(""), 0},
      {"0", 0}, {"spr_First", 0}, {Cell(), 0},   {Cell(boolean), 0},
  };
  for (const auto& c : cases) {
    CaughtCall call = CallCatching("sprite_exists", {c.value});
    EXPECT_FALSE(call.raised) << call.message;
    EXPECT_EQ(call.result.Real(), c.exists) << "kind " << c.value.Kind() << ", " << c.value.Real();
  }
}

}  // namespace

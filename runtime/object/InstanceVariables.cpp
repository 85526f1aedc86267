// SPDX-License-Identifier: Zlib
// The built-in variables of instances: getters and setters over CInstance fields.
#include <cmath>

#include "code/CompiledCode.h"
#include "object/Instance.h"
#include "object/InstanceFunctions.h"

namespace {

inline bool ReturnReal(DynValue* result, double value) {
  DynValue_SetReal(result, value);
  return true;
}

inline float RealOf(const DynValue* value) { return static_cast<float>(DynValue_ToReal(value)); }

#define FLOAT_VARIABLE(field)                                                             \
  [](CInstance* self, int32_t, DynValue* result) { return ReturnReal(result, self->field); }, \
      [](CInstance* self, int32_t, const DynValue* value) {                               \
        self->field = RealOf(value);                                                      \
        return true;                                                                      \
      }

// Variables whose change moves the collision box mark it stale.
#define BOX_FLOAT_VARIABLE(field)                                                         \
  [](CInstance* self, int32_t, DynValue* result) { return ReturnReal(result, self->field); }, \
      [](CInstance* self, int32_t, const DynValue* value) {                               \
        self->field = RealOf(value);                                                      \
        self->boxStale = true;                                                            \
        return true;                                                                      \
      }

#define INT_VARIABLE(field)                                                               \
  [](CInstance* self, int32_t, DynValue* result) { return ReturnReal(result, self->field); }, \
      [](CInstance* self, int32_t, const DynValue* value) {                               \
        self->field = DynValue_ToInt32(value);                                            \
        return true;                                                                      \
      }

#define BOOL_VARIABLE(field)                                                                       \
  [](CInstance* self, int32_t, DynValue* result) { return ReturnReal(result, self->field ? 1.0 : 0.0); }, \
      [](CInstance* self, int32_t, const DynValue* value) {                                        \
        self->field = DynValue_ToBool(value);                                                      \
        return true;                                                                               \
      }

#define READ_ONLY(expression) \
  [](CInstance* self, int32_t, DynValue* result) { return ReturnReal(result, (expression)); }, nullptr

// alarm[i]: an index outside 0..11 reads -1 and writes nothing; the plain
// variable means alarm[0].
int AlarmIndex(int32_t arrayIndex) {
  if (arrayIndex == ARRAY_INDEX_NONE) return 0;
  return (arrayIndex >= 0 && arrayIndex < ALARM_COUNT) ? arrayIndex : -1;
}

bool GetAlarm(CInstance* self, int32_t arrayIndex, DynValue* result) {
  int i = AlarmIndex(arrayIndex);
  return ReturnReal(result, i < 0 ? -1.0 : self->alarms[i]);
}

bool SetAlarm(CInstance* self, int32_t arrayIndex, const DynValue* value) {
  int i = AlarmIndex(arrayIndex);
  if (i < 0) return false;
  self->alarms[i] = DynValue_ToInt32(value);
  return true;
}

bool GetSpriteIndex(CInstance* self, int32_t, DynValue* result) { return ReturnReal(result, self->spriteIndex); }
bool SetSpriteIndex(CInstance* self, int32_t, const DynValue* value) {
  self->spriteIndex = DynValue_ToInt32(value);
  self->boxStale = true;
  return true;
}

bool GetMaskIndex(CInstance* self, int32_t, DynValue* result) { return ReturnReal(result, self->maskIndex); }
// The mask index is stored rounded down to an integer.
bool SetMaskIndex(CInstance* self, int32_t, const DynValue* value) {
  double d = std::floor(DynValue_ToReal(value));
  self->maskIndex = (d >= -2147483648.0 && d <= 2147483647.0) ? static_cast<int32_t>(d) : -1;
  self->boxStale = true;
  return true;
}

// The active instances of the room.
bool GetInstanceCount(CInstance* self, int32_t, DynValue* result) {
  return ReturnReal(result, Instance_NumberDirect(self, self, TARGET_ALL));
}

bool SetDepth(CInstance* self, int32_t, const DynValue* value) {
  Instance_SetDepth(self, RealOf(value));
  return true;
}

}  // namespace

void Instance_RegisterBuiltinVariables() {
  Variable_Register("x", BOX_FLOAT_VARIABLE(x));
  Variable_Register("y", BOX_FLOAT_VARIABLE(y));
  Variable_Register("xprevious", FLOAT_VARIABLE(xprevious));
  Variable_Register("yprevious", FLOAT_VARIABLE(yprevious));
  Variable_Register("xstart", FLOAT_VARIABLE(xstart));
  Variable_Register("ystart", FLOAT_VARIABLE(ystart));
  Variable_Register("hspeed", FLOAT_VARIABLE(hspeed));
  Variable_Register("vspeed", FLOAT_VARIABLE(vspeed));
  Variable_Register("direction", FLOAT_VARIABLE(direction));
  Variable_Register("speed", FLOAT_VARIABLE(speed));
  Variable_Register("friction", FLOAT_VARIABLE(friction));
  Variable_Register("gravity", FLOAT_VARIABLE(gravity));
  Variable_Register("gravity_direction", FLOAT_VARIABLE(gravityDirection));
  Variable_Register("object_index", READ_ONLY(self->objectIndex));
  Variable_Register("id", READ_ONLY(self->id));
  Variable_Register("alarm", GetAlarm, SetAlarm);
  Variable_Register("solid", BOOL_VARIABLE(solid));
  Variable_Register("visible", BOOL_VARIABLE(visible));
  Variable_Register("persistent", BOOL_VARIABLE(persistent));
  Variable_Register("depth", [](CInstance* self, int32_t, DynValue* result) { return ReturnReal(result, self->depth); },
                    SetDepth);
  Variable_Register("sprite_index", GetSpriteIndex, SetSpriteIndex);
  Variable_Register("image_index", FLOAT_VARIABLE(imageIndex));
  Variable_Register("image_speed", FLOAT_VARIABLE(imageSpeed));
  Variable_Register("image_xscale", BOX_FLOAT_VARIABLE(imageXScale));
  Variable_Register("image_yscale", BOX_FLOAT_VARIABLE(imageYScale));
  Variable_Register("image_angle", BOX_FLOAT_VARIABLE(imageAngle));
  Variable_Register("image_alpha", FLOAT_VARIABLE(imageAlpha));
  Variable_Register("image_blend", INT_VARIABLE(imageBlend));
  Variable_Register("mask_index", GetMaskIndex, SetMaskIndex);
  Variable_Register("path_index", READ_ONLY(self->pathIndex));
  Variable_Register("path_scale", FLOAT_VARIABLE(pathScale));
  Variable_Register("timeline_index", INT_VARIABLE(timelineIndex));
  Variable_Register("timeline_speed", FLOAT_VARIABLE(timelineSpeed));
  Variable_Register("instance_count", GetInstanceCount, nullptr);
}

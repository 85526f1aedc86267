// SPDX-License-Identifier: Zlib
// Inline helpers that kslc-generated C++ is written in.
//
// Generated code includes this header and the game's generated ksl_game.h and
// nothing else. Everything here is built only on the runtime's compiled-code
// interface: tagged values (value/DynValue.h), the argument readers, the
// error call, user slots (ZuObject_Slot), the global object, Variable_*,
// Function_CallById, With_* and CallFrame, and the direct entries of the
// frequent built-ins (instances, position_meeting, drawing, strings). The
// fast paths for plain numbers
// are inline so that arithmetic and comparison on reals compile to a few
// instructions; every other kind goes through the runtime's own operations.
//
// Ownership: a KslValue is a DynValue that releases itself when it goes out of
// scope. Locals, temporaries, call arguments and results are KslValues, so a
// local is released on every way out of a function (end, exit, return, also
// from inside a with), and a KslWith always calls With_End.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "code/CompiledCode.h"
#include "code/ErrorContext.h"
#include "collision/Collision.h"         // position_meeting
#include "graphics/GraphicsDirect.h"     // draw_sprite, draw_sprite_ext, make_colour_rgb, draw_set_*
#include "library/Strings.h"             // abs, choose, point_direction, show_debug_message
#include "object/Instance.h"               // the instance as a slot holder (ZuObjectBase)
#include "object/InstanceFunctions.h"    // instance_destroy, instance_exists, instance_number
#include "object/ObjectBase.h"
#include "value/ArgReaders.h"
#include "value/DynValue.h"
#include "value/TextBuffer.h"

// The newest call frame of generated code; defined in the game's generated
// tables file and named in its CompiledCodeInfo.
extern CallFrame* ksl_FrameHead;

// ---- Values ----

struct KslValue : DynValue {
  KslValue() {
    i64 = 0;
    flags = 0;
    kind = KIND_UNDEFINED;
  }
  explicit KslValue(double d) {
    real = d;
    flags = 0;
    kind = KIND_NUMBER;
  }
  KslValue(const KslValue&) = delete;
  KslValue& operator=(const KslValue&) = delete;
  KslValue(KslValue&& from) noexcept : DynValue(from) {
    // An array owned by the moved-from cell is owned by this one now.
    if ((kind & KIND_MASK) == KIND_ARRAY && arr && arr->owner == &from) arr->owner = this;
    from.i64 = 0;
    from.flags = 0;
    from.kind = KIND_UNDEFINED;
  }
  ~KslValue() { DynValue_Release(this); }
};

inline bool ksl_IsReal(const DynValue& v) {
  uint32_t k = v.kind & KIND_MASK;
  return k == KIND_NUMBER || k == KIND_BOOL;
}

inline KslValue ksl_Real(double d) { return KslValue(d); }
inline KslValue ksl_Bool(bool b) { return KslValue(b ? 1.0 : 0.0); }
inline KslValue ksl_Undefined() { return KslValue(); }

// A counted copy of a cell (strings and arrays gain a reference).
inline KslValue ksl_Copy(const DynValue& v) {
  KslValue r;
  if (!DynKind_NeedsRelease(v.kind)) {
    static_cast<DynValue&>(r) = v;
  } else {
    DynValue_Assign(&r, &v);
  }
  return r;
}

// Overwrites a cell with the assignment rules.
inline void ksl_Store(DynValue* cell, const DynValue& v) {
  if (!DynKind_NeedsRelease(cell->kind) && !DynKind_NeedsRelease(v.kind)) {
    *cell = v;
    return;
  }
  DynValue_Assign(cell, &v);
}

// Truth: a value counts as true when it is greater than 0.5.
inline bool ksl_Truth(const DynValue& v) {
  if (ksl_IsReal(v)) return v.real > 0.5;
  return DynValue_ToBool(&v);
}

inline double ksl_ToReal(const DynValue& v) { return ksl_IsReal(v) ? v.real : DynValue_ToReal(&v); }
inline int64_t ksl_ToInt64(const DynValue& v) {
  return ksl_IsReal(v) ? static_cast<int64_t>(v.real) : DynValue_ToInt64(&v);
}

// ---- Arithmetic ----

inline KslValue ksl_Add(const DynValue& a, const DynValue& b) {
  if ((a.kind & KIND_MASK) == KIND_NUMBER && (b.kind & KIND_MASK) == KIND_NUMBER) return KslValue(a.real + b.real);
  KslValue r;
  DynValue_Add(&r, &a, &b);
  return r;
}
inline KslValue ksl_Sub(const DynValue& a, const DynValue& b) { return KslValue(ksl_ToReal(a) - ksl_ToReal(b)); }
inline KslValue ksl_Mul(const DynValue& a, const DynValue& b) { return KslValue(ksl_ToReal(a) * ksl_ToReal(b)); }
inline KslValue ksl_Div(const DynValue& a, const DynValue& b) { return KslValue(ksl_ToReal(a) / ksl_ToReal(b)); }
inline KslValue ksl_Mod(const DynValue& a, const DynValue& b) {
  return KslValue(std::fmod(ksl_ToReal(a), ksl_ToReal(b)));
}
// Integer division: the quotient truncated toward zero.
inline KslValue ksl_IntDiv(const DynValue& a, const DynValue& b) {
  return KslValue(std::trunc(ksl_ToReal(a) / ksl_ToReal(b)));
}
inline KslValue ksl_Neg(const DynValue& a) { return KslValue(-ksl_ToReal(a)); }
inline KslValue ksl_Plus(const DynValue& a) { return KslValue(ksl_ToReal(a)); }
inline KslValue ksl_BitAnd(const DynValue& a, const DynValue& b) {
  return KslValue(static_cast<double>(ksl_ToInt64(a) & ksl_ToInt64(b)));
}
inline KslValue ksl_BitOr(const DynValue& a, const DynValue& b) {
  return KslValue(static_cast<double>(ksl_ToInt64(a) | ksl_ToInt64(b)));
}
inline KslValue ksl_BitXor(const DynValue& a, const DynValue& b) {
  return KslValue(static_cast<double>(ksl_ToInt64(a) ^ ksl_ToInt64(b)));
}
inline KslValue ksl_BitNot(const DynValue& a) { return KslValue(static_cast<double>(~ksl_ToInt64(a))); }
inline KslValue ksl_Shl(const DynValue& a, const DynValue& b) {
  int64_t n = ksl_ToInt64(b);
  return KslValue(n < 0 || n > 63 ? 0.0 : static_cast<double>(static_cast<int64_t>(static_cast<uint64_t>(ksl_ToInt64(a)) << n)));
}
inline KslValue ksl_Shr(const DynValue& a, const DynValue& b) {
  int64_t n = ksl_ToInt64(b);
  int64_t v = ksl_ToInt64(a);
  return KslValue(static_cast<double>(n < 0 || n > 63 ? (v < 0 ? -1 : 0) : v >> n));
}

// cell += v, and the other compound assignments on a cell.
inline void ksl_AddAssign(DynValue* cell, const DynValue& v) {
  if ((cell->kind & KIND_MASK) == KIND_NUMBER && (v.kind & KIND_MASK) == KIND_NUMBER) {
    cell->real += v.real;
    return;
  }
  DynValue_AddAssign(cell, &v);
}
inline void ksl_SubAssign(DynValue* cell, const DynValue& v) {
  if ((cell->kind & KIND_MASK) == KIND_NUMBER && (v.kind & KIND_MASK) == KIND_NUMBER) {
    cell->real -= v.real;
    return;
  }
  KslValue r = ksl_Sub(*cell, v);
  ksl_Store(cell, r);
}
#define KSL_COMPOUND(NAME, OP)                                   \
  inline void NAME##Assign(DynValue* cell, const DynValue& v) {  \
    KslValue r = OP(*cell, v);                                   \
    ksl_Store(cell, r);                                          \
  }
KSL_COMPOUND(ksl_Mul, ksl_Mul)
KSL_COMPOUND(ksl_Div, ksl_Div)
KSL_COMPOUND(ksl_Mod, ksl_Mod)
KSL_COMPOUND(ksl_BitAnd, ksl_BitAnd)
KSL_COMPOUND(ksl_BitOr, ksl_BitOr)
KSL_COMPOUND(ksl_BitXor, ksl_BitXor)
#undef KSL_COMPOUND

// ---- ++ and -- ----

// Steps a cell by one (step is 1 or -1): reals and booleans by 1.0 keeping
// their kind, 32- and 64-bit integers wrapping as the processor does. Any
// other kind is the runtime's "invalid type" error, for ++ the runtime's own
// (DynValue_PostIncrement) and for -- its mirror image.
inline void ksl_StepSlow(DynValue* cell, int step) {
  switch (cell->Kind()) {
    case KIND_NUMBER:
    case KIND_BOOL:
      cell->real += step;
      return;
    case KIND_INT32:
      cell->i32 = static_cast<int32_t>(static_cast<uint32_t>(cell->i32) + static_cast<uint32_t>(step));
      return;
    case KIND_INT64:
      cell->i64 = static_cast<int64_t>(static_cast<uint64_t>(cell->i64) + static_cast<uint64_t>(int64_t{step}));
      return;
    default:
      break;
  }
  if (step > 0) {
    KslValue old;
    DynValue_PostIncrement(cell, &old);
    return;
  }
  TextBuffer left, right;
  const DynValue one = DynValue_MakeReal(1.0);
  DynValue_ToText(&left, cell);
  DynValue_ToText(&right, &one);
  Runtime_Error("invalid type for -- lhs=%s (type=%d), rhs=%s (type=%d)", left.Text(), static_cast<int>(cell->Kind()),
                right.Text(), static_cast<int>(one.Kind()));
}
inline void ksl_Step(DynValue* cell, int step) {
  if ((cell->kind & KIND_MASK) == KIND_NUMBER) {
    cell->real += step;
    return;
  }
  ksl_StepSlow(cell, step);
}
// x++ / x--: the value before the step.
inline KslValue ksl_PostStep(DynValue* cell, int step) {
  KslValue old = ksl_Copy(*cell);
  ksl_Step(cell, step);
  return old;
}
// ++x / --x: the value after the step.
inline KslValue ksl_PreStep(DynValue* cell, int step) {
  ksl_Step(cell, step);
  return ksl_Copy(*cell);
}

// ---- Comparison: reals within math_epsilon, everything else by the runtime ----

inline int ksl_Compare(const DynValue& a, const DynValue& b) {
  if (ksl_IsReal(a) && ksl_IsReal(b)) {
    double d = a.real - b.real;
    if (math_epsilon >= std::fabs(d)) return 0;
    return d < 0 ? -1 : 1;
  }
  return DynValue_Compare(&a, &b, math_epsilon);
}
inline bool ksl_Eq(const DynValue& a, const DynValue& b) { return ksl_Compare(a, b) == 0; }
inline bool ksl_Ne(const DynValue& a, const DynValue& b) { return ksl_Compare(a, b) != 0; }
inline bool ksl_Lt(const DynValue& a, const DynValue& b) { return ksl_Compare(a, b) < 0; }
inline bool ksl_Le(const DynValue& a, const DynValue& b) { return ksl_Compare(a, b) <= 0; }
inline bool ksl_Gt(const DynValue& a, const DynValue& b) { return ksl_Compare(a, b) > 0; }
inline bool ksl_Ge(const DynValue& a, const DynValue& b) { return ksl_Compare(a, b) >= 0; }

// ---- Array elements: row * ARRAY_ROW_STRIDE + column ----

inline int32_t ksl_Index(const DynValue& i) { return static_cast<int32_t>(ksl_ToInt64(i)); }
inline int32_t ksl_Index2(const DynValue& row, const DynValue& column) {
  return ksl_Index(row) * ARRAY_ROW_STRIDE + ksl_Index(column);
}
// Reads a cell, or one element of it.
inline KslValue ksl_Read(DynValue* cell, int32_t index) {
  if (index == ARRAY_INDEX_NONE) return ksl_Copy(*cell);
  KslValue r;
  DynValue_Read(&r, cell, index);
  return r;
}
inline void ksl_Write(DynValue* cell, const DynValue& v, int32_t index) {
  if (index == ARRAY_INDEX_NONE) {
    ksl_Store(cell, v);
  } else {
    DynValue_Write(cell, &v, index);
  }
}

// ---- Variables ----

// Own user variable by slot.
inline DynValue* ksl_Slot(CInstance* self, int slot) { return ZuObject_Slot(self, slot); }
inline DynValue* ksl_GlobalSlot(int slot) { return ZuObject_Slot(Global_Object(), slot); }
// Reads an own user variable; the cell is looked up only after the index has
// been computed (computing it may run code that creates cells).
inline KslValue ksl_ReadSlot(CInstance* self, int slot, int32_t index) { return ksl_Read(ZuObject_Slot(self, slot), index); }

// Built-in variable of self; the id cell is read at each access.
inline KslValue ksl_GetBuiltin(CInstance* self, const CompiledVariableRef& ref, int32_t index) {
  KslValue r;
  Variable_GetValue(self, ref.id, index, &r);
  return r;
}
inline void ksl_SetBuiltin(CInstance* self, const CompiledVariableRef& ref, int32_t index, const DynValue& v) {
  Variable_SetValue(self, ref.id, index, &v);
}

// Variables of the instance that a dotted name addresses. Targets: self (-1,
// -6) and other (-2) are this function's own instances, global (-5) the global
// object; all other targets go to the runtime, which also sets the
// no-instance flag when nothing matches (the result then stays undefined).
inline bool ksl_IsSelfTarget(int target) { return target == TARGET_SELF || target == TARGET_SELF_ALT; }

inline KslValue ksl_GetSlotAt(CInstance* self, CInstance* other, int target, int slot, int32_t index) {
  KslValue r;
  if (ksl_IsSelfTarget(target) || (target == TARGET_OTHER && other)) {
    return ksl_Read(ZuObject_Slot(ksl_IsSelfTarget(target) ? self : other, slot), index);
  }
  if (target == TARGET_GLOBAL) return ksl_Read(ksl_GlobalSlot(slot), index);
  if (target == TARGET_OTHER) {
    g_NoInstanceFlag = true;
    return r;
  }
  Variable_GetSlotOther(target, slot, index, &r);
  return r;
}
inline void ksl_SetSlotAt(CInstance* self, CInstance* other, int target, int slot, int32_t index, const DynValue& v) {
  if (ksl_IsSelfTarget(target) || (target == TARGET_OTHER && other)) {
    ksl_Write(ZuObject_Slot(ksl_IsSelfTarget(target) ? self : other, slot), v, index);
  } else if (target == TARGET_GLOBAL) {
    ksl_Write(ksl_GlobalSlot(slot), v, index);
  } else if (target != TARGET_OTHER) {
    Variable_SetSlotOther(target, slot, index, &v);
  }
}
inline KslValue ksl_GetBuiltinAt(CInstance* self, CInstance* other, int target, const CompiledVariableRef& ref,
                                 int32_t index) {
  KslValue r;
  if (ksl_IsSelfTarget(target) || target == TARGET_GLOBAL) {
    Variable_GetValue(self, ref.id, index, &r);
  } else if (target == TARGET_OTHER) {
    if (other) {
      Variable_GetValue(other, ref.id, index, &r);
    } else {
      g_NoInstanceFlag = true;
    }
  } else {
    Variable_GetValueOther(target, ref.id, index, &r);
  }
  return r;
}
inline void ksl_SetBuiltinAt(CInstance* self, CInstance* other, int target, const CompiledVariableRef& ref,
                             int32_t index, const DynValue& v) {
  if (ksl_IsSelfTarget(target) || target == TARGET_GLOBAL) {
    Variable_SetValue(self, ref.id, index, &v);
  } else if (target == TARGET_OTHER) {
    if (other) Variable_SetValue(other, ref.id, index, &v);
  } else {
    Variable_SetValueOther(target, ref.id, index, &v);
  }
}

// The instance target a value names (an object index, an instance id, or one
// of the negative targets).
inline int ksl_Target(const DynValue& v) {
  if (ksl_IsReal(v)) return static_cast<int>(v.real);
  return DynValue_ToInt32(&v);
}

// ---- Calls ----

// Arguments of a call, evaluated left to right (a braced initialiser fixes the
// order) and released after the call.
template <int N>
struct KslArgs {
  KslValue v[N];
};

inline KslValue ksl_Call(CInstance* self, CInstance* other, const CompiledFunctionRef& ref) {
  KslValue r;
  Function_CallById(self, other, &r, 0, ref.id, nullptr);
  return r;
}
template <int N>
inline KslValue ksl_Call(CInstance* self, CInstance* other, const CompiledFunctionRef& ref, KslArgs<N>&& args) {
  DynValue* argv[N];
  for (int i = 0; i < N; ++i) argv[i] = &args.v[i];
  KslValue r;
  Function_CallById(self, other, &r, N, ref.id, argv);
  return r;
}
inline KslValue ksl_CallScript(CompiledScriptFn script, CInstance* self, CInstance* other) {
  KslValue r;
  script(self, other, &r, 0, nullptr);
  return r;
}
template <int N>
inline KslValue ksl_CallScript(CompiledScriptFn script, CInstance* self, CInstance* other, KslArgs<N>&& args) {
  DynValue* argv[N];
  for (int i = 0; i < N; ++i) argv[i] = &args.v[i];
  KslValue r;
  script(self, other, &r, N, argv);
  return r;
}

// argumentN of a script; a missing argument reads as undefined.
inline const DynValue& ksl_Arg(int argc, DynValue** args, int i) {
  static const DynValue undefinedCell = DynValue_MakeUndefined();
  return (i >= 0 && i < argc && args[i]) ? *args[i] : undefinedCell;
}

// A script that assigns to its arguments works on copies of them, so the
// caller's cells stay as they were and argumentN past argument_count can be
// written and read back. argument[i] beyond the copies reads the caller's
// cell; writing it is an error.
constexpr int KSL_ARGUMENT_COPIES = 16;  // argument0 .. argument15
struct KslLocalArgs {
  KslValue cells[KSL_ARGUMENT_COPIES];
  KslValue scratch;  // the target of a refused write when errors are caught
  int argc;
  DynValue** args;
  KslLocalArgs(int n, DynValue** a) : argc(n), args(a) {
    for (int i = 0; i < n && i < KSL_ARGUMENT_COPIES; ++i)
      if (a[i]) ksl_Store(&cells[i], *a[i]);
  }
  const DynValue& Get(int i) const { return (i >= 0 && i < KSL_ARGUMENT_COPIES) ? cells[i] : ksl_Arg(argc, args, i); }
  DynValue* Cell(int i) {
    if (i >= 0 && i < KSL_ARGUMENT_COPIES) return &cells[i];
    Runtime_Error("argument index %d is out of range: a script can assign argument0 to argument%d", i,
                  KSL_ARGUMENT_COPIES - 1);
    DynValue_Free(&scratch);
    return &scratch;
  }
  KslLocalArgs(const KslLocalArgs&) = delete;
  KslLocalArgs& operator=(const KslLocalArgs&) = delete;
};

// ---- Direct entries of the frequent built-ins ----
//
// The generated code calls these instead of Function_CallById. Arguments are
// converted here with the built-in's own readers, so values come out exactly
// as the built-in would see them. Only cells of the number kinds are
// converted here (no reader reports anything for them); any other kind takes
// the by-id call, where the readers' messages name the built-in as they must.
// Results have the built-in's kinds: reals, booleans (instance_exists,
// position_meeting) or undefined (the drawing calls).

inline bool ksl_IsNumberKind(const DynValue& v) {
  uint32_t k = v.Kind();
  return k == KIND_NUMBER || k == KIND_BOOL || k == KIND_INT32 || k == KIND_INT64;
}
template <int N>
inline bool ksl_AllNumbers(const KslArgs<N>& a) {
  for (int i = 0; i < N; ++i)
    if (!ksl_IsNumberKind(a.v[i])) return false;
  return true;
}
// The arguments as the contiguous cell array the readers take (bit copies,
// as Function_CallById makes; the KslArgs keep ownership).
template <int N>
struct KslCells {
  DynValue c[N];
  explicit KslCells(const KslArgs<N>& a) {
    for (int i = 0; i < N; ++i) std::memcpy(static_cast<void*>(&c[i]), static_cast<const void*>(&a.v[i]), sizeof(DynValue));
  }
};
inline KslValue ksl_BoolKind(bool b) {
  KslValue r;
  static_cast<DynValue&>(r) = DynValue_MakeBool(b);
  return r;
}
inline KslValue ksl_Direct_instance_destroy(CInstance* self, CInstance*, const CompiledFunctionRef&) {
  Instance_DestroySelfDirect(self);
  return KslValue(0.0);
}
inline KslValue ksl_Direct_instance_destroy(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                            KslArgs<1>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<1> c(a);
  Instance_DestroyDirect(self, other, ZuGetInt32(c.c, 0), true);
  return KslValue(0.0);
}
inline KslValue ksl_Direct_instance_destroy(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                            KslArgs<2>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<2> c(a);
  Instance_DestroyDirect(self, other, ZuGetInt32(c.c, 0), ZuGetBool(c.c, 1));
  return KslValue(0.0);
}
inline KslValue ksl_Direct_instance_exists(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                           KslArgs<1>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<1> c(a);
  return ksl_BoolKind(Instance_ExistsDirect(self, other, ZuGetInt32(c.c, 0)));
}
inline KslValue ksl_Direct_instance_number(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                           KslArgs<1>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<1> c(a);
  return KslValue(Instance_NumberDirect(self, other, ZuGetInt32(c.c, 0)));
}
inline KslValue ksl_Direct_position_meeting(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                            KslArgs<3>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<3> c(a);
  return ksl_BoolKind(Collision_PositionMeeting(self, other, ZuGetReal(c.c, 0), ZuGetReal(c.c, 1), ZuGetInt32(c.c, 2)));
}
inline KslValue ksl_Direct_draw_sprite(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                       KslArgs<4>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<4> c(a);
  Draw_Sprite(self, ZuGetInt32(c.c, 0), Draw_SubimgArgument(self, ZuGetReal(c.c, 1)),
              static_cast<float>(ZuGetReal(c.c, 2)), static_cast<float>(ZuGetReal(c.c, 3)));
  return KslValue();
}
inline KslValue ksl_Direct_draw_sprite_ext(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                           KslArgs<9>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<9> c(a);
  // Colours are 24-bit: the built-in keeps the low three bytes of the integer.
  const int32_t colour = static_cast<int32_t>(static_cast<uint32_t>(ZuGetInt64(c.c, 7)) & 0xFFFFFFu);
  Draw_SpriteExt(self, ZuGetInt32(c.c, 0), Draw_SubimgArgument(self, ZuGetReal(c.c, 1)),
                 static_cast<float>(ZuGetReal(c.c, 2)), static_cast<float>(ZuGetReal(c.c, 3)),
                 static_cast<float>(ZuGetReal(c.c, 4)), static_cast<float>(ZuGetReal(c.c, 5)),
                 static_cast<float>(ZuGetReal(c.c, 6)), colour, static_cast<float>(ZuGetReal(c.c, 8)));
  return KslValue();
}
inline KslValue ksl_Direct_make_colour_rgb(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                           KslArgs<3>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<3> c(a);
  return KslValue(Draw_MakeColourRgb(ZuGetInt32(c.c, 0), ZuGetInt32(c.c, 1), ZuGetInt32(c.c, 2)));
}
inline KslValue ksl_Direct_draw_set_font(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                         KslArgs<1>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<1> c(a);
  Draw_SetFont(ZuGetInt32(c.c, 0));
  return KslValue();
}
inline KslValue ksl_Direct_draw_set_halign(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                           KslArgs<1>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<1> c(a);
  Draw_SetHalign(ZuGetInt32(c.c, 0));
  return KslValue();
}
inline KslValue ksl_Direct_draw_set_valign(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                           KslArgs<1>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<1> c(a);
  Draw_SetValign(ZuGetInt32(c.c, 0));
  return KslValue();
}
inline KslValue ksl_Direct_abs(CInstance* self, CInstance* other, const CompiledFunctionRef& ref, KslArgs<1>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<1> c(a);
  return KslValue(Strings_Abs(ZuGetReal(c.c, 0)));
}
inline KslValue ksl_Direct_point_direction(CInstance* self, CInstance* other, const CompiledFunctionRef& ref,
                                           KslArgs<4>&& a) {
  if (!ksl_AllNumbers(a)) return ksl_Call(self, other, ref, std::move(a));
  KslCells<4> c(a);
  return KslValue(
      Strings_PointDirection(ZuGetFloat(c.c, 0), ZuGetFloat(c.c, 1), ZuGetFloat(c.c, 2), ZuGetFloat(c.c, 3)));
}
// choose and show_debug_message take any kind: nothing to convert.
inline KslValue ksl_Direct_choose(CInstance*, CInstance*, const CompiledFunctionRef&) { return KslValue(); }
template <int N>
inline KslValue ksl_Direct_choose(CInstance*, CInstance*, const CompiledFunctionRef&, KslArgs<N>&& a) {
  KslCells<N> c(a);
  KslValue r;
  Strings_Choose(&r, N, c.c);
  return r;
}
inline KslValue ksl_Direct_show_debug_message(CInstance*, CInstance*, const CompiledFunctionRef&, KslArgs<1>&& a) {
  Strings_ShowDebugMessage(&a.v[0]);
  return KslValue();
}

// ---- Control ----

// The call frame of one generated function: linked on entry, unlinked on every
// exit; `line` is stored before each statement.
struct KslFrame : CallFrame {
  explicit KslFrame(const char* name) {
    previous = ksl_FrameHead;
    functionName = name;
    line = -1;
    ksl_FrameHead = this;
  }
  ~KslFrame() { ksl_FrameHead = previous; }
  KslFrame(const KslFrame&) = delete;
  KslFrame& operator=(const KslFrame&) = delete;
};

// One `with`: the body runs while Next() holds; With_End restores self and
// other however the body is left.
struct KslWith {
  WithIterator it;
  CInstance** self;
  CInstance** other;
  int count;
  KslWith(CInstance** s, CInstance** o, int target) : self(s), other(o) { count = With_Begin(&it, s, o, target); }
  ~KslWith() { With_End(&it, self, other); }
  bool Next() { return With_Next(&it, self); }
  KslWith(const KslWith&) = delete;
  KslWith& operator=(const KslWith&) = delete;
};

// repeat (n): the count truncated toward zero.
inline int64_t ksl_RepeatCount(const DynValue& v) { return ksl_ToInt64(v); }

// String constants of one generated file: made on first use (the memory
// manager is ready by then) and released at process exit.
inline void ksl_MakeStrings(DynValue* cells, const char* const* texts, int count, void (*release)(), bool* ready) {
  for (int i = 0; i < count; ++i) {
    cells[i] = DynValue_MakeUndefined();
    DynValue_InitString(&cells[i], texts[i]);
  }
  Runtime_AtExit(release);
  *ready = true;
}
inline void ksl_FreeStrings(DynValue* cells, int count, bool* ready) {
  for (int i = 0; i < count; ++i) DynValue_Free(&cells[i]);
  *ready = false;
}

// ---- Source lines for error reports ----

// The text of the lines of one compiled function, by line number ascending;
// the game's tables file lists them for every function and hands the lookup
// to Error_SetSourceLineProvider.
struct KslSourceLine {
  int32_t line;
  const char* text;
};
struct KslSourceLines {
  const char* function;
  const KslSourceLine* lines;
  int32_t count;
};
inline const char* ksl_FindSourceLine(const KslSourceLines* table, int count, const char* function, int line) {
  if (!function) return nullptr;
  for (int f = 0; f < count; ++f) {
    if (std::strcmp(table[f].function, function) != 0) continue;
    const KslSourceLine* lines = table[f].lines;
    int low = 0, high = table[f].count - 1;
    while (low <= high) {
      int mid = low + (high - low) / 2;
      if (lines[mid].line == line) return lines[mid].text;
      if (lines[mid].line < line) {
        low = mid + 1;
      } else {
        high = mid - 1;
      }
    }
    return nullptr;
  }
  return nullptr;
}

// SPDX-License-Identifier: Zlib
// Expressions of one function: names and how they resolve, reads, calls
// (direct entries of the frequent built-ins), operators, ++ and --.
#include "CodeGenInternal.h"

#include <cmath>

#include "Names.h"

namespace kslc::gen {

// ---- Locals: `var` names anywhere in the function ----
void FunctionGen::CollectLocals(const Stmt* s) {
  if (!s) return;
  if (s->kind == StmtKind::Var) {
    for (size_t i = 0; i < s->names.size(); ++i) {
      const std::string& name = s->names[i];
      double ignored;
      if (Names_Constant(name, &ignored) || IsArgumentName(name)) {
        Error(s->line, s->nameColumns[i], "'" + name + "' cannot be declared as a local variable");
        continue;
      }
      if (locals_.insert(name).second) localOrder_.push_back(name);
    }
  }
  for (const auto& b : s->body) CollectLocals(b.get());
}

bool FunctionGen::IsArgumentName(const std::string& name) {
  return name == "argument" || name == "argument_count" || ArgumentNumber(name) >= 0;
}

int FunctionGen::ArgumentNumber(const std::string& name) {
  if (name.compare(0, 8, "argument") != 0 || name.size() < 9 || name.size() > 10) return -1;
  int n = 0;
  for (size_t i = 8; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    n = n * 10 + (name[i] - '0');
  }
  if (name.size() == 10 && name[8] == '0') return -1;  // "argument05" is an ordinary name
  return n < MAX_NUMBERED_ARGUMENTS ? n : -1;
}

bool FunctionGen::IsArgumentTarget(const Expr* target) {
  if (!target) return false;
  const Expr* base = target->kind == ExprKind::Index ? target->kids[0].get() : target;
  return base->kind == ExprKind::Name && (base->text == "argument" || ArgumentNumber(base->text) >= 0);
}

bool FunctionGen::ExprWritesArgument(const Expr* e) {
  if (!e) return false;
  if (e->kind == ExprKind::IncDec && IsArgumentTarget(e->kids[0].get())) return true;
  for (const auto& k : e->kids)
    if (ExprWritesArgument(k.get())) return true;
  return false;
}

bool FunctionGen::WritesArgument(const Stmt* s) {
  if (!s) return false;
  if ((s->kind == StmtKind::Assign || s->kind == StmtKind::IncDec) && IsArgumentTarget(s->target.get())) return true;
  if (ExprWritesArgument(s->target.get()) || ExprWritesArgument(s->value.get()) || ExprWritesArgument(s->cond.get()))
    return true;
  for (const auto& i : s->inits)
    if (ExprWritesArgument(i.get())) return true;
  for (const auto& b : s->body)
    if (WritesArgument(b.get())) return true;
  return false;
}

NameInfo FunctionGen::Resolve(const std::string& name) {
  NameInfo info{NameKind::User};
  int arg = ArgumentNumber(name);
  if (arg >= 0) return {NameKind::Argument, arg, 0};
  if (name == "argument_count") return {NameKind::ArgumentCount, 0, 0};
  if (name == "argument") return {NameKind::ArgumentArray, 0, 0};
  if (locals_.count(name)) return {NameKind::Local, 0, 0};
  if (Names_Constant(name, &info.value)) return {NameKind::Constant, 0, info.value};
  if (Names_IsBuiltinVariable(name)) return {NameKind::Builtin, 0, 0};
  int index = -1;
  if (game_.manifest_.FindResource(name, &index) != mob::ManifestResourceKind::None)
    return {NameKind::Resource, 0, static_cast<double>(index)};
  return {NameKind::User, game_.Slot(name), 0};
}

// ---- Expressions ----
GenExpr FunctionGen::Number(double d, const std::string& comment) {
  GenExpr g;
  g.code = "ksl_Real(" + CxxNumber(d) + ")" + (comment.empty() ? "" : " /* " + comment + " */");
  g.pure = true;
  g.isConst = true;
  g.constValue = d;
  return g;
}

GenExpr FunctionGen::Expression(const Expr* e) {
  switch (e->kind) {
    case ExprKind::Number: return Number(e->number);
    case ExprKind::String: {
      GenExpr g;
      g.code = "ksl_S(" + std::to_string(file_.StringIndex(e->text)) + ")";
      g.kind = EKind::Ref;
      g.pure = true;
      return g;
    }
    case ExprKind::Name: return NameRead(e, "ARRAY_INDEX_NONE", false);
    case ExprKind::Index: return IndexRead(e);
    case ExprKind::Member: return MemberRead(e, "ARRAY_INDEX_NONE");
    case ExprKind::Call: return Call(e);
    case ExprKind::Unary: return Unary(e);
    case ExprKind::Binary: return Binary(e);
    case ExprKind::Ternary: {
      GenExpr c = Expression(e->kids[0].get());
      GenExpr a = Expression(e->kids[1].get());
      GenExpr b = Expression(e->kids[2].get());
      GenExpr g;
      g.code = "(" + AsBool(c) + " ? " + AsOwned(a) + " : " + AsOwned(b) + ")";
      g.pure = c.pure && a.pure && b.pure;
      g.effects = c.effects || a.effects || b.effects;
      g.steps = c.steps || a.steps || b.steps;
      return g;
    }
    case ExprKind::IncDec: return IncDecExpr(e);
  }
  return Number(0);
}

GenExpr FunctionGen::NameRead(const Expr* e, const std::string& index, bool indexed) {
  const std::string& name = e->text;
  NameInfo n = Resolve(name);
  GenExpr g;
  switch (n.kind) {
    case NameKind::Argument:
    case NameKind::ArgumentCount:
    case NameKind::ArgumentArray:
      if (!isScript_) {
        Error(e->line, e->column, "'" + name + "' can only be used in a script");
        return Number(0);
      }
      if (n.kind == NameKind::ArgumentCount) {
        g.code = "ksl_Real(argc)";
        g.pure = true;
        return g;
      }
      if (n.kind == NameKind::ArgumentArray && !indexed) {
        Error(e->line, e->column, "expected '[' after 'argument'");
        return Number(0);
      }
      if (indexed && n.kind == NameKind::Argument) {
        Error(e->line, e->column, "'" + name + "' cannot be indexed");
        return Number(0);
      }
      {
        std::string which = n.kind == NameKind::ArgumentArray ? index : std::to_string(n.number);
        g.code = localArgs_ ? "ksl_av.Get(" + which + ")" : "ksl_Arg(argc, args, " + which + ")";
      }
      g.kind = EKind::Ref;
      g.pure = n.kind == NameKind::Argument;
      return g;
    case NameKind::Local:
      if (!indexed) {
        g.code = "l_" + name;
        g.kind = EKind::Ref;
        g.pure = true;
        return g;
      }
      g.code = "ksl_Read(&l_" + name + ", " + index + ")";
      return g;
    case NameKind::Constant:
    case NameKind::Resource:
      if (indexed) Error(e->line, e->column, "'" + name + "' is a constant and cannot be indexed");
      return Number(n.value, name);
    case NameKind::Builtin:
      g.code = "ksl_GetBuiltin(self, " + game_.BuiltinRef(name) + ", " + index + ")";
      return g;
    case NameKind::User:
      g.code = "ksl_ReadSlot(self, " + std::to_string(n.number) + " /* " + name + " */, " + index + ")";
      return g;
  }
  return g;
}

std::string FunctionGen::IndexCode(const Expr* e) {
  GenExpr i = Expression(e->kids[1].get());
  if (e->kids.size() == 2) return "ksl_Index(" + AsCell(i) + ")";
  GenExpr j = Expression(e->kids[2].get());
  return "ksl_Index2(" + AsCell(i) + ", " + AsCell(j) + ")";
}

GenExpr FunctionGen::IndexRead(const Expr* e) {
  std::string index = IndexCode(e);
  const Expr* base = e->kids[0].get();
  if (base->kind == ExprKind::Name) return NameRead(base, index, true);
  return MemberRead(base, index);
}

std::string FunctionGen::TargetCode(const Expr* target) {
  GenExpr t = Expression(target);
  if (t.isConst) return std::to_string(static_cast<int>(t.constValue));
  return "ksl_Target(" + AsCell(t) + ")";
}

GenExpr FunctionGen::MemberRead(const Expr* e, const std::string& index) {
  GenExpr g;
  std::string target = TargetCode(e->kids[0].get());
  if (Names_IsBuiltinVariable(e->text)) {
    g.code = "ksl_GetBuiltinAt(self, other, " + target + ", " + game_.BuiltinRef(e->text) + ", " + index + ")";
  } else {
    g.code = "ksl_GetSlotAt(self, other, " + target + ", " + std::to_string(game_.Slot(e->text)) + " /* " + e->text +
             " */, " + index + ")";
  }
  return g;
}

GenExpr FunctionGen::Call(const Expr* e) {
  std::string args;
  GenExpr g;
  g.effects = true;
  for (size_t i = 0; i < e->kids.size(); ++i) {
    GenExpr a = Expression(e->kids[i].get());
    g.steps = g.steps || a.steps;
    args += (i ? ", " : "") + AsOwned(a);
  }
  const int count = static_cast<int>(e->kids.size());
  std::string packed = e->kids.empty() ? "" : ", KslArgs<" + std::to_string(count) + ">{{" + args + "}}";
  const std::string& name = e->text;
  int script = game_.manifest_.FindScript(name);
  if (script >= 0) {
    g.code = "ksl_CallScript(&ksl_Script_" + name + ", self, other" + packed + ")";
    return g;
  }
  if (locals_.count(name) || IsArgumentName(name)) {
    Error(e->line, e->column, "'" + name + "' is a variable, not a function");
    return Number(0);
  }
  // A name the runtime does not register would keep id -1 and fail only
  // when the call runs: refuse it here.
  int expected = -1;
  if (!Names_BuiltinFunction(name, &expected)) {
    int host = game_.manifest_.FindHostFunction(name);
    if (host < 0) {
      Error(e->line, e->column, "unknown function '" + name + "': neither a script of the game nor a built-in function");
      return Number(0);
    }
    expected = game_.manifest_.hostFunctions[host].arguments;
  }
  if (expected >= 0 && count != expected) {
    Error(e->line, e->column, "'" + name + "' takes " + std::to_string(expected) + " argument" +
                                  (expected == 1 ? "" : "s") + ", not " + std::to_string(count));
    return Number(0);
  }
  std::string ref = game_.FunctionRef(name);
  if (const char* direct = DirectEntry(name, count)) {
    g.code = std::string(direct) + "(self, other, " + ref + packed + ")";
    return g;
  }
  g.code = "ksl_Call(self, other, " + ref + packed + ")";
  return g;
}

const char* FunctionGen::DirectEntry(const std::string& name, int count) {
  struct Direct {
    const char* name;
    const char* helper;
    int minArgs, maxArgs;
  };
  static const Direct kDirect[] = {
      {"instance_destroy", "ksl_Direct_instance_destroy", 0, 2},
      {"instance_exists", "ksl_Direct_instance_exists", 1, 1},
      {"instance_number", "ksl_Direct_instance_number", 1, 1},
      {"position_meeting", "ksl_Direct_position_meeting", 3, 3},
      {"draw_sprite", "ksl_Direct_draw_sprite", 4, 4},
      {"draw_sprite_ext", "ksl_Direct_draw_sprite_ext", 9, 9},
      {"make_colour_rgb", "ksl_Direct_make_colour_rgb", 3, 3},
      {"make_color_rgb", "ksl_Direct_make_colour_rgb", 3, 3},
      {"abs", "ksl_Direct_abs", 1, 1},
      {"choose", "ksl_Direct_choose", 0, 1 << 30},
      {"point_direction", "ksl_Direct_point_direction", 4, 4},
      {"draw_set_font", "ksl_Direct_draw_set_font", 1, 1},
      {"draw_set_halign", "ksl_Direct_draw_set_halign", 1, 1},
      {"draw_set_valign", "ksl_Direct_draw_set_valign", 1, 1},
      {"show_debug_message", "ksl_Direct_show_debug_message", 1, 1},
  };
  for (const Direct& d : kDirect)
    if (name == d.name) return count >= d.minArgs && count <= d.maxArgs ? d.helper : nullptr;
  return nullptr;
}

GenExpr FunctionGen::Unary(const Expr* e) {
  GenExpr a = Expression(e->kids[0].get());
  GenExpr g;
  g.pure = a.pure;
  g.effects = a.effects;
  g.steps = a.steps;
  switch (e->op) {
    case Tok::Minus:
      if (a.isConst) return Number(-a.constValue);
      g.code = "ksl_Neg(" + AsCell(a) + ")";
      return g;
    case Tok::Plus:
      if (a.isConst) return a;
      g.code = "ksl_Plus(" + AsCell(a) + ")";
      return g;
    case Tok::Not:
      g.code = "!" + std::string(a.kind == EKind::Bool ? "(" + a.code + ")" : AsBool(a));
      g.kind = EKind::Bool;
      return g;
    default:
      g.code = "ksl_BitNot(" + AsCell(a) + ")";
      return g;
  }
}

GenExpr FunctionGen::Binary(const Expr* e) {
  GenExpr a = Expression(e->kids[0].get());
  GenExpr b = Expression(e->kids[1].get());
  GenExpr g;
  g.pure = a.pure && b.pure;
  g.effects = a.effects || b.effects;
  g.steps = a.steps || b.steps;
  const char* helper = nullptr;
  bool comparison = false;
  switch (e->op) {
    case Tok::OrOr: case Tok::KwOr:
      g.code = "(" + AsBool(a) + " || " + AsBool(b) + ")";
      g.kind = EKind::Bool;
      return g;
    case Tok::AndAnd: case Tok::KwAnd:
      g.code = "(" + AsBool(a) + " && " + AsBool(b) + ")";
      g.kind = EKind::Bool;
      return g;
    case Tok::XorXor: case Tok::KwXor:
      g.code = "(" + AsBool(a) + " != " + AsBool(b) + ")";
      g.kind = EKind::Bool;
      return g;
    case Tok::Eq: helper = "ksl_Eq"; comparison = true; break;
    case Tok::Ne: helper = "ksl_Ne"; comparison = true; break;
    case Tok::Lt: helper = "ksl_Lt"; comparison = true; break;
    case Tok::Le: helper = "ksl_Le"; comparison = true; break;
    case Tok::Gt: helper = "ksl_Gt"; comparison = true; break;
    case Tok::Ge: helper = "ksl_Ge"; comparison = true; break;
    case Tok::Plus: helper = "ksl_Add"; break;
    case Tok::Minus: helper = "ksl_Sub"; break;
    case Tok::Star: helper = "ksl_Mul"; break;
    case Tok::Slash: helper = "ksl_Div"; break;
    case Tok::Percent: case Tok::KwMod: helper = "ksl_Mod"; break;
    case Tok::KwDiv: helper = "ksl_IntDiv"; break;
    case Tok::BitAnd: helper = "ksl_BitAnd"; break;
    case Tok::BitOr: helper = "ksl_BitOr"; break;
    case Tok::BitXor: helper = "ksl_BitXor"; break;
    case Tok::Shl: helper = "ksl_Shl"; break;
    case Tok::Shr: helper = "ksl_Shr"; break;
    default: helper = "ksl_Add"; break;
  }
  g.kind = comparison ? EKind::Bool : EKind::Value;
  if (!a.isConst && (b.steps || (b.effects && !a.pure))) {
    // C++ leaves the order of a call's arguments open; the language reads
    // left to right, so the left side is taken before the right side can
    // change it (i + i++ adds the old i twice). A call on the right cannot
    // reach the locals and arguments of this function, so a left side made
    // of those alone needs no copy.
    g.code = std::string("[&]() -> ") + (comparison ? "bool" : "KslValue") + " { KslValue ksl_l = " + AsOwned(a) +
             "; return " + helper + "(ksl_l, " + AsCell(b) + "); }()";
    return g;
  }
  g.code = std::string(helper) + "(" + AsCell(a) + ", " + AsCell(b) + ")";
  return g;
}

FunctionGen::Place FunctionGen::PlaceOf(const Expr* target) {
  Place p;
  const bool indexed = target->kind == ExprKind::Index;
  const Expr* base = indexed ? target->kids[0].get() : target;
  std::string index = "ARRAY_INDEX_NONE";
  auto fixIndex = [&] {
    if (!indexed) return;
    p.setup.push_back("const int32_t ksl_i = " + IndexCode(target) + ";");
    index = "ksl_i";
  };
  if (base->kind == ExprKind::Member) {
    p.setup.push_back("const int ksl_t = " + TargetCode(base->kids[0].get()) + ";");
    fixIndex();
    if (Names_IsBuiltinVariable(base->text)) {
      std::string ref = game_.BuiltinRef(base->text);
      p.read = "ksl_GetBuiltinAt(self, other, ksl_t, " + ref + ", " + index + ")";
      p.write = "ksl_SetBuiltinAt(self, other, ksl_t, " + ref + ", " + index + ", %V);";
    } else {
      std::string slot = std::to_string(game_.Slot(base->text)) + " /* " + base->text + " */";
      p.read = "ksl_GetSlotAt(self, other, ksl_t, " + slot + ", " + index + ")";
      p.write = "ksl_SetSlotAt(self, other, ksl_t, " + slot + ", " + index + ", %V);";
    }
    return p;
  }
  if (base->kind != ExprKind::Name) {
    Error(target->line, target->column, "expected a variable to assign to");
    p.ok = false;
    return p;
  }
  const std::string& name = base->text;
  NameInfo n = Resolve(name);
  switch (n.kind) {
    case NameKind::Argument: case NameKind::ArgumentArray:
      if (!CheckArgumentWrite(base, n, indexed)) {
        p.ok = false;
        return p;
      }
      fixIndex();
      p.cell = "ksl_av.Cell(" + (n.kind == NameKind::ArgumentArray ? index : std::to_string(n.number)) + ")";
      return p;
    case NameKind::ArgumentCount:
      Error(target->line, target->column, "cannot assign to 'argument_count'");
      p.ok = false;
      return p;
    case NameKind::Constant:
      Error(target->line, target->column, "cannot assign to the constant '" + name + "'");
      p.ok = false;
      return p;
    case NameKind::Resource:
      Error(target->line, target->column, "cannot assign to the resource name '" + name + "'");
      p.ok = false;
      return p;
    case NameKind::Local:
      if (!indexed) {
        p.cell = "&l_" + name;
        return p;
      }
      fixIndex();
      p.read = "ksl_Read(&l_" + name + ", " + index + ")";
      p.write = "ksl_Write(&l_" + name + ", %V, " + index + ");";
      return p;
    case NameKind::Builtin: {
      fixIndex();
      std::string ref = game_.BuiltinRef(name);
      p.read = "ksl_GetBuiltin(self, " + ref + ", " + index + ")";
      p.write = "ksl_SetBuiltin(self, " + ref + ", " + index + ", %V);";
      return p;
    }
    case NameKind::User: {
      std::string slot = std::to_string(n.number) + " /* " + name + " */";
      if (!indexed) {
        p.cell = "ksl_Slot(self, " + slot + ")";
        return p;
      }
      fixIndex();
      p.read = "ksl_Read(ksl_Slot(self, " + slot + "), " + index + ")";
      p.write = "ksl_Write(ksl_Slot(self, " + slot + "), %V, " + index + ");";
      return p;
    }
  }
  p.ok = false;
  return p;
}

bool FunctionGen::CheckArgumentWrite(const Expr* base, const NameInfo& n, bool indexed) {
  if (!isScript_) {
    Error(base->line, base->column, "'" + base->text + "' can only be used in a script");
    return false;
  }
  if (n.kind == NameKind::Argument && indexed) {
    Error(base->line, base->column, "'" + base->text + "' cannot be indexed");
    return false;
  }
  if (n.kind == NameKind::ArgumentArray && !indexed) {
    Error(base->line, base->column, "expected '[' after 'argument'");
    return false;
  }
  return true;
}

std::string FunctionGen::FillValue(std::string write, const std::string& value) {
  size_t at = write.find("%V");
  return write.replace(at, 2, value);
}

GenExpr FunctionGen::IncDecExpr(const Expr* e) {
  Place p = PlaceOf(e->kids[0].get());
  if (!p.ok) return Number(0);
  GenExpr g;
  g.effects = true;
  g.steps = true;
  const std::string step = e->op == Tok::PlusPlus ? "1" : "-1";
  const std::string fn = e->postfix ? "ksl_PostStep" : "ksl_PreStep";
  if (!p.cell.empty() && p.setup.empty()) {
    g.code = fn + "(" + p.cell + ", " + step + ")";
    return g;
  }
  std::string body;
  for (const auto& line : p.setup) body += line + " ";
  if (!p.cell.empty()) {
    body += "return " + fn + "(" + p.cell + ", " + step + ");";
  } else {
    body += "KslValue ksl_c = " + p.read + "; KslValue ksl_r = " + fn + "(&ksl_c, " + step + "); " +
            FillValue(p.write, "ksl_c") + " return ksl_r;";
  }
  g.code = "[&]() -> KslValue { " + body + " }()";
  return g;
}

void FunctionGen::IncDecStatement(const Stmt* s) {
  Place p = PlaceOf(s->target.get());
  if (!p.ok) return;
  const std::string step = s->op == Tok::PlusPlus ? "1" : "-1";
  if (!p.cell.empty() && p.setup.empty()) {
    Line("ksl_Step(" + p.cell + ", " + step + ");");
    return;
  }
  Line("{");
  ++indent_;
  for (const auto& line : p.setup) Line(line);
  if (!p.cell.empty()) {
    Line("ksl_Step(" + p.cell + ", " + step + ");");
  } else {
    Line("KslValue ksl_c = " + p.read + ";");
    Line("ksl_Step(&ksl_c, " + step + ");");
    Line(FillValue(p.write, "ksl_c"));
  }
  --indent_;
  Line("}");
}

}  // namespace kslc::gen

#include "CodeGen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <unordered_map>

#include "Names.h"

namespace kslc {

namespace {

// Scripts receive at most this many numbered arguments (argument0..15).
constexpr int MAX_NUMBERED_ARGUMENTS = 16;

// ---- Text helpers ----

std::string CxxString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\%03o", c);  // octal: never swallows a following digit beyond 3
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string CxxNumber(double d) {
  if (std::isinf(d)) return d > 0 ? "HUGE_VAL" : "-HUGE_VAL";
  if (std::isnan(d)) return "NAN";
  char buf[40];
  // Whole numbers read best as "10.0"; others in the shortest exact form.
  if (d == std::trunc(d) && std::fabs(d) < 1e15) {
    std::snprintf(buf, sizeof buf, "%.1f", d);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.17g", d);
  std::string s = buf;
  // Prefer the shortest spelling that reads back exactly.
  for (int precision = 1; precision < 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, d);
    if (std::strtod(buf, nullptr) == d) {
      s = buf;
      break;
    }
  }
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

// A source line as a C++ comment: printable ASCII only, never ending in a
// backslash (which would continue the comment onto the next line).
std::string CommentText(const std::string& line) {
  std::string out;
  for (unsigned char c : line) {
    if (c == '\t') c = ' ';
    out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  size_t first = out.find_first_not_of(' ');
  out = first == std::string::npos ? "" : out.substr(first);
  while (!out.empty() && (out.back() == ' ' || out.back() == '\\')) out.pop_back();
  constexpr size_t kMaxComment = 100;
  if (out.size() > kMaxComment) out = out.substr(0, kMaxComment) + " ...";
  return out;
}

// A source line as error reports quote it: without the indentation and the
// trailing blanks (and the CR of a CR LF file).
std::string SourceText(const std::string& line) {
  size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = line.find_last_not_of(" \t\r");
  return line.substr(first, last - first + 1);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---- Generated expressions ----

enum class EKind {
  Value,  // a KslValue prvalue
  Ref,    // an lvalue cell that stays valid while the statement runs (local, argument, string constant)
  Bool,   // a C++ bool
};

struct GenExpr {
  std::string code;
  EKind kind = EKind::Value;
  bool pure = false;     // reads only literals, constants, locals and arguments (no runtime calls)
  bool effects = false;  // may change variables: a call or a ++/-- somewhere inside
  bool steps = false;    // a ++/-- somewhere inside: may change locals and arguments too
  bool isConst = false;
  double constValue = 0;
};

// As an argument of a helper taking `const DynValue&`.
std::string AsCell(const GenExpr& e) { return e.kind == EKind::Bool ? "ksl_Bool(" + e.code + ")" : e.code; }
// As an owned KslValue prvalue.
std::string AsOwned(const GenExpr& e) {
  switch (e.kind) {
    case EKind::Bool: return "ksl_Bool(" + e.code + ")";
    case EKind::Ref: return "ksl_Copy(" + e.code + ")";
    default: return e.code;
  }
}
std::string AsBool(const GenExpr& e) {
  if (e.kind == EKind::Bool) return e.code;
  if (e.isConst) return e.constValue > 0.5 ? "true" : "false";
  return "ksl_Truth(" + e.code + ")";
}

// Where a name leads.
enum class NameKind { Argument, ArgumentCount, ArgumentArray, Local, Constant, Builtin, Resource, User };
struct NameInfo {
  NameKind kind;
  int number = 0;     // argument number, slot
  double value = 0;   // constants and resources
};

// ---- The game-wide state: slots, records, and the code-index table ----

class GameGen {
 public:
  GameGen(const mob::Manifest& m, Diagnostics& d) : manifest_(m), diag_(d) {}

  int Slot(const std::string& name) {
    auto it = slots_.find(name);
    if (it != slots_.end()) return it->second;
    int slot = static_cast<int>(userVars_.size());
    userVars_.push_back(name);
    slots_.emplace(name, slot);
    return slot;
  }
  std::string BuiltinRef(const std::string& name) {
    if (builtinSet_.insert(name).second) builtinVars_.push_back(name);
    return "ksl_var_" + name;
  }
  std::string FunctionRef(const std::string& name) {
    if (functionSet_.insert(name).second) functionRefs_.push_back(name);
    return "ksl_fn_" + name;
  }

  const mob::Manifest& manifest_;
  Diagnostics& diag_;
  std::vector<std::string> userVars_;
  std::unordered_map<std::string, int> slots_;
  std::vector<std::string> builtinVars_;
  std::set<std::string> builtinSet_;
  std::vector<std::string> functionRefs_;
  std::set<std::string> functionSet_;
  // function name -> line -> source text, for the lines that statements start
  // on: the runtime's error report quotes the line that was running.
  std::map<std::string, std::map<int, std::string>> sourceLines_;
};

// ---- One generated file: its string constants and its functions ----

class FileGen {
 public:
  explicit FileGen(GameGen& game) : game_(game) {}

  int StringIndex(const std::string& text) {
    auto it = stringIndex_.find(text);
    if (it != stringIndex_.end()) return it->second;
    int k = static_cast<int>(strings_.size());
    strings_.push_back(text);
    stringIndex_.emplace(text, k);
    return k;
  }

  // The whole file: prelude with the string table, then the functions.
  std::string Text(const std::string& title) const {
    std::string out = "// " + title + "\n// Generated by kslc from the game's .ksl sources: do not edit.\n";
    out += "#include \"ksl_game.h\"\n\n";
    if (!strings_.empty()) {
      std::string n = std::to_string(strings_.size());
      out += "namespace {\n\n// The string constants of this file, made on first use.\nconst char* const ksl_texts[" + n +
             "] = {\n";
      for (const auto& s : strings_) out += "    " + CxxString(s) + ",\n";
      out += "};\nDynValue ksl_strings[" + n + "];\nbool ksl_stringsReady = false;\n";
      out += "void ksl_ReleaseStrings() { ksl_FreeStrings(ksl_strings, " + n + ", &ksl_stringsReady); }\n";
      out += "inline const DynValue& ksl_S(int k) {\n  if (!ksl_stringsReady) ksl_MakeStrings(ksl_strings, ksl_texts, " +
             n + ", &ksl_ReleaseStrings, &ksl_stringsReady);\n  return ksl_strings[k];\n}\n\n}  // namespace\n\n";
    }
    return out + body_;
  }

  GameGen& game_;
  std::string body_;
  std::vector<std::string> strings_;
  std::map<std::string, int> stringIndex_;
};

// ---- One function ----

enum class Breakable { Loop, For, With, Switch };

class FunctionGen {
 public:
  FunctionGen(FileGen& file, const Program& program, const mob::ManifestCode& code)
      : file_(file), game_(file.game_), program_(program), code_(code), isScript_(code.kind == mob::ManifestCodeKind::Script) {
    size_t start = 0;
    while (start <= program.source.size()) {
      size_t nl = program.source.find('\n', start);
      if (nl == std::string::npos) {
        lines_.push_back(program.source.substr(start));
        break;
      }
      lines_.push_back(program.source.substr(start, nl - start));
      start = nl + 1;
    }
  }

  void Generate() {
    for (const auto& s : program_.statements) CollectLocals(s.get());
    if (isScript_)
      for (const auto& s : program_.statements) localArgs_ = localArgs_ || WritesArgument(s.get());
    std::string& out = file_.body_;
    const std::string& fn = code_.functionName;
    out += "// " + code_.file + "\n";
    if (isScript_) {
      out += "DynValue* " + fn + "(CInstance* self, CInstance* other, DynValue* result, int argc, DynValue** args) {\n";
    } else {
      out += "void " + fn + "(CInstance* self, CInstance* other) {\n";
    }
    out += "  KslFrame ksl_f(" + CxxString(fn) + ");\n";
    if (!localOrder_.empty()) {
      out += "  KslValue";
      for (size_t i = 0; i < localOrder_.size(); ++i) out += std::string(i ? ", " : " ") + "l_" + localOrder_[i];
      out += ";  // var\n";
    }
    // A script that assigns to its arguments works on copies of them.
    if (localArgs_) out += "  KslLocalArgs ksl_av(argc, args);  // argumentN is assigned below\n";
    out += "  (void)self;\n  (void)other;\n";
    if (isScript_) out += "  (void)argc;\n  (void)args;\n";
    indent_ = 1;
    for (const auto& s : program_.statements) Statement(s.get());
    if (isScript_) out += "  return result;\n";
    out += "}\n\n";
  }

 private:
  // ---- Output ----
  void Line(const std::string& text) {
    file_.body_.append(static_cast<size_t>(indent_) * 2, ' ');
    file_.body_ += text;
    file_.body_ += '\n';
  }
  void Error(int line, int column, const std::string& message) { game_.diag_.Error(program_.file, line, column, message); }

  // ---- Locals: `var` names anywhere in the function ----
  void CollectLocals(const Stmt* s) {
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

  static bool IsArgumentName(const std::string& name) {
    return name == "argument" || name == "argument_count" || ArgumentNumber(name) >= 0;
  }
  static int ArgumentNumber(const std::string& name) {
    if (name.compare(0, 8, "argument") != 0 || name.size() < 9 || name.size() > 10) return -1;
    int n = 0;
    for (size_t i = 8; i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') return -1;
      n = n * 10 + (name[i] - '0');
    }
    if (name.size() == 10 && name[8] == '0') return -1;  // "argument05" is an ordinary name
    return n < MAX_NUMBERED_ARGUMENTS ? n : -1;
  }

  // Whether an assignment, ++ or -- anywhere in s writes argumentN or
  // argument[i].
  static bool IsArgumentTarget(const Expr* target) {
    if (!target) return false;
    const Expr* base = target->kind == ExprKind::Index ? target->kids[0].get() : target;
    return base->kind == ExprKind::Name && (base->text == "argument" || ArgumentNumber(base->text) >= 0);
  }
  static bool ExprWritesArgument(const Expr* e) {
    if (!e) return false;
    if (e->kind == ExprKind::IncDec && IsArgumentTarget(e->kids[0].get())) return true;
    for (const auto& k : e->kids)
      if (ExprWritesArgument(k.get())) return true;
    return false;
  }
  static bool WritesArgument(const Stmt* s) {
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

  NameInfo Resolve(const std::string& name) {
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
  GenExpr Number(double d, const std::string& comment = "") {
    GenExpr g;
    g.code = "ksl_Real(" + CxxNumber(d) + ")" + (comment.empty() ? "" : " /* " + comment + " */");
    g.pure = true;
    g.isConst = true;
    g.constValue = d;
    return g;
  }

  GenExpr Expression(const Expr* e) {
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

  GenExpr NameRead(const Expr* e, const std::string& index, bool indexed) {
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

  // The index of a[i] or a[i, j] as an int32 expression.
  std::string IndexCode(const Expr* e) {
    GenExpr i = Expression(e->kids[1].get());
    if (e->kids.size() == 2) return "ksl_Index(" + AsCell(i) + ")";
    GenExpr j = Expression(e->kids[2].get());
    return "ksl_Index2(" + AsCell(i) + ", " + AsCell(j) + ")";
  }

  GenExpr IndexRead(const Expr* e) {
    std::string index = IndexCode(e);
    const Expr* base = e->kids[0].get();
    if (base->kind == ExprKind::Name) return NameRead(base, index, true);
    return MemberRead(base, index);
  }

  // The target of a.b as an int expression; folded when a is a constant.
  std::string TargetCode(const Expr* target) {
    GenExpr t = Expression(target);
    if (t.isConst) return std::to_string(static_cast<int>(t.constValue));
    return "ksl_Target(" + AsCell(t) + ")";
  }

  GenExpr MemberRead(const Expr* e, const std::string& index) {
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

  GenExpr Call(const Expr* e) {
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

  // The support helper that calls a frequent built-in's direct entry, for
  // this number of arguments; null when the call goes by id.
  static const char* DirectEntry(const std::string& name, int count) {
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

  GenExpr Unary(const Expr* e) {
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

  GenExpr Binary(const Expr* e) {
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

  // ---- ++ and -- ----

  // Where a read-modify-write goes: a cell of the variable's own when it has
  // one (locals, own user variables, arguments), else a read and a write
  // (with %V for the stored cell) after setup lines that fix the target and
  // the index once.
  struct Place {
    bool ok = true;
    std::string cell;
    std::vector<std::string> setup;
    std::string read, write;
  };

  Place PlaceOf(const Expr* target) {
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

  // argumentN and argument[i] may be written in scripts (on the script's
  // copies); argumentN itself holds no array to index.
  bool CheckArgumentWrite(const Expr* base, const NameInfo& n, bool indexed) {
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

  static std::string FillValue(std::string write, const std::string& value) {
    size_t at = write.find("%V");
    return write.replace(at, 2, value);
  }

  // ++x / --x (the new value) and x++ / x-- (the old value) inside an expression.
  GenExpr IncDecExpr(const Expr* e) {
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

  // x++ / ++x / x-- / --x as a statement of its own.
  void IncDecStatement(const Stmt* s) {
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

  // ---- Assignments ----

  // Compound operator -> in-place helper; '=' -> "".
  static const char* CompoundHelper(Tok op) {
    switch (op) {
      case Tok::PlusAssign: case Tok::PlusPlus: return "ksl_AddAssign";
      case Tok::MinusAssign: case Tok::MinusMinus: return "ksl_SubAssign";
      case Tok::StarAssign: return "ksl_MulAssign";
      case Tok::SlashAssign: return "ksl_DivAssign";
      case Tok::PercentAssign: return "ksl_ModAssign";
      case Tok::AndAssign: return "ksl_BitAndAssign";
      case Tok::OrAssign: return "ksl_BitOrAssign";
      case Tok::XorAssign: return "ksl_BitXorAssign";
      default: return "";
    }
  }

  // Emits `target op value` (value already generated, or the constant 1 for ++/--).
  void Assign(const Expr* target, Tok op, const GenExpr& value) {
    std::string helper = CompoundHelper(op);
    const Expr* base = target->kind == ExprKind::Index ? target->kids[0].get() : target;
    bool indexed = target->kind == ExprKind::Index;

    if (base->kind == ExprKind::Name) {
      NameInfo n = Resolve(base->text);
      switch (n.kind) {
        case NameKind::Argument: case NameKind::ArgumentArray: {
          if (!CheckArgumentWrite(base, n, indexed)) return;
          // The script's own copy of the argument: a cell that stays put.
          Line("{");
          ++indent_;
          std::string which = std::to_string(n.number);
          if (indexed) {
            Line("const int32_t ksl_i = " + IndexCode(target) + ";");
            which = "ksl_i";
          }
          Line("KslValue ksl_v = " + AsOwned(value) + ";");
          Line((helper.empty() ? "ksl_Store" : helper) + "(ksl_av.Cell(" + which + "), ksl_v);");
          --indent_;
          Line("}");
          return;
        }
        case NameKind::ArgumentCount:
          Error(target->line, target->column, "cannot assign to 'argument_count'");
          return;
        case NameKind::Constant:
          Error(target->line, target->column, "cannot assign to the constant '" + base->text + "'");
          return;
        case NameKind::Resource:
          Error(target->line, target->column, "cannot assign to the resource name '" + base->text + "'");
          return;
        default: break;
      }
      if (n.kind == NameKind::Local && !indexed) {
        // A local's cell stays where it is: update it in place.
        Line((helper.empty() ? "ksl_Store" : helper) + "(&l_" + base->text + ", " + AsCell(value) + ");");
        return;
      }
      if (n.kind == NameKind::User && !indexed && value.pure) {
        Line((helper.empty() ? "ksl_Store" : helper) + "(ksl_Slot(self, " + std::to_string(n.number) + " /* " +
             base->text + " */), " + AsCell(value) + ");");
        return;
      }
      // General form: index, then value, then the store (the slot's cell is
      // looked up only after everything that could create cells has run).
      Line("{");
      ++indent_;
      std::string index = "ARRAY_INDEX_NONE";
      if (indexed) {
        Line("const int32_t ksl_i = " + IndexCode(target) + ";");
        index = "ksl_i";
      }
      Line("KslValue ksl_v = " + AsOwned(value) + ";");
      std::string read, write;
      if (n.kind == NameKind::Local) {
        read = "ksl_Read(&l_" + base->text + ", " + index + ")";
        write = "ksl_Write(&l_" + base->text + ", %V, " + index + ");";
      } else if (n.kind == NameKind::Builtin) {
        std::string ref = game_.BuiltinRef(base->text);
        read = "ksl_GetBuiltin(self, " + ref + ", " + index + ")";
        write = "ksl_SetBuiltin(self, " + ref + ", " + index + ", %V);";
      } else {
        std::string slot = std::to_string(n.number) + " /* " + base->text + " */";
        read = "ksl_Read(ksl_Slot(self, " + slot + "), " + index + ")";
        write = "ksl_Write(ksl_Slot(self, " + slot + "), %V, " + index + ");";
      }
      StoreWithHelper(helper, read, write);
      --indent_;
      Line("}");
      return;
    }

    // a.b (or a.b[i])
    Line("{");
    ++indent_;
    Line("const int ksl_t = " + TargetCode(base->kids[0].get()) + ";");
    std::string index = "ARRAY_INDEX_NONE";
    if (indexed) {
      Line("const int32_t ksl_i = " + IndexCode(target) + ";");
      index = "ksl_i";
    }
    Line("KslValue ksl_v = " + AsOwned(value) + ";");
    std::string read, write;
    if (Names_IsBuiltinVariable(base->text)) {
      std::string ref = game_.BuiltinRef(base->text);
      read = "ksl_GetBuiltinAt(self, other, ksl_t, " + ref + ", " + index + ")";
      write = "ksl_SetBuiltinAt(self, other, ksl_t, " + ref + ", " + index + ", %V);";
    } else {
      std::string slot = std::to_string(game_.Slot(base->text)) + " /* " + base->text + " */";
      read = "ksl_GetSlotAt(self, other, ksl_t, " + slot + ", " + index + ")";
      write = "ksl_SetSlotAt(self, other, ksl_t, " + slot + ", " + index + ", %V);";
    }
    StoreWithHelper(helper, read, write);
    --indent_;
    Line("}");
  }

  // write holds %V where the stored cell goes.
  void StoreWithHelper(const std::string& helper, const std::string& read, std::string write) {
    auto fill = [](std::string w, const std::string& v) {
      size_t at = w.find("%V");
      return w.replace(at, 2, v);
    };
    if (helper.empty()) {
      Line(fill(write, "ksl_v"));
      return;
    }
    Line("KslValue ksl_c = " + read + ";");
    Line(helper + "(&ksl_c, ksl_v);");
    Line(fill(write, "ksl_c"));
  }

  // ---- Statements ----

  void MarkLine(const Stmt* s) {
    if (s->line >= 1 && s->line <= static_cast<int>(lines_.size()))
      game_.sourceLines_[code_.functionName][s->line] = SourceText(lines_[s->line - 1]);
    if (s->line != lastCommentLine_ && s->line >= 1 && s->line <= static_cast<int>(lines_.size())) {
      std::string text = CommentText(lines_[s->line - 1]);
      Line("// " + BaseName(program_.file) + ":" + std::to_string(s->line) + (text.empty() ? "" : "  " + text));
      lastCommentLine_ = s->line;
    }
    Line("ksl_f.line = " + std::to_string(s->line) + ";");
  }

  // A nested statement as a braced block.
  void Body(const Stmt* s) {
    Line("{");
    ++indent_;
    if (s && s->kind == StmtKind::Block) {
      for (const auto& b : s->body) Statement(b.get());
    } else if (s) {
      Statement(s);
    }
    --indent_;
    Line("}");
  }

  void Statement(const Stmt* s) {
    if (!s) return;
    switch (s->kind) {
      case StmtKind::Empty:
        return;
      case StmtKind::Block:
        Body(s);
        return;
      case StmtKind::Case: case StmtKind::Default:
        return;  // handled by Switch
      default:
        break;
    }
    MarkLine(s);
    switch (s->kind) {
      case StmtKind::Var:
        for (size_t i = 0; i < s->names.size(); ++i) {
          if (!s->inits[i] || !locals_.count(s->names[i])) continue;
          Line("ksl_Store(&l_" + s->names[i] + ", " + AsCell(Expression(s->inits[i].get())) + ");");
        }
        return;
      case StmtKind::Assign:
        Assign(s->target.get(), s->op, Expression(s->value.get()));
        return;
      case StmtKind::IncDec:
        IncDecStatement(s);
        return;
      case StmtKind::Call: {
        GenExpr call = Expression(s->value.get());
        Line(call.code + ";");
        return;
      }
      case StmtKind::If: {
        Line("if (" + AsBool(Expression(s->cond.get())) + ")");
        Body(s->body[0].get());
        if (s->body.size() > 1) {
          Line("else");
          Body(s->body[1].get());
        }
        return;
      }
      case StmtKind::While: {
        Line("for (;;) {");
        ++indent_;
        Line("ksl_f.line = " + std::to_string(s->line) + ";");
        Line("if (!" + Parenthesised(AsBool(Expression(s->cond.get()))) + ") break;");
        PushLoop(Breakable::Loop);
        Body(s->body[0].get());
        PopLoop();
        --indent_;
        Line("}");
        return;
      }
      case StmtKind::DoUntil: {
        Line("do {");
        ++indent_;
        PushLoop(Breakable::Loop);
        Body(s->body[0].get());
        PopLoop();
        Line("ksl_f.line = " + std::to_string(s->line) + ";");
        --indent_;
        Line("} while (!" + Parenthesised(AsBool(Expression(s->cond.get()))) + ");");
        return;
      }
      case StmtKind::For: For(s); return;
      case StmtKind::Repeat: {
        std::string n = "ksl_n" + std::to_string(++counter_);
        Line("for (int64_t " + n + " = ksl_RepeatCount(" + AsCell(Expression(s->cond.get())) + "); " + n + " > 0; --" +
             n + ")");
        PushLoop(Breakable::Loop);
        Body(s->body[0].get());
        PopLoop();
        return;
      }
      case StmtKind::With: {
        std::string w = "ksl_w" + std::to_string(++counter_);
        Line("{");
        ++indent_;
        Line("KslWith " + w + "(&self, &other, " + TargetCode(s->cond.get()) + ");");
        Line("if (" + w + ".count > 0) do");
        PushLoop(Breakable::With);
        Body(s->body[0].get());
        PopLoop();
        Line("while (" + w + ".Next());");
        --indent_;
        Line("}");
        return;
      }
      case StmtKind::Switch: Switch(s); return;
      case StmtKind::Break:
        if (loops_.empty()) {
          Error(s->line, s->column, "'break' outside a loop, switch or with");
          return;
        }
        Line("break;");
        return;
      case StmtKind::Continue: {
        int at = static_cast<int>(loops_.size()) - 1;
        while (at >= 0 && loops_[at].kind == Breakable::Switch) --at;
        if (at < 0) {
          Error(s->line, s->column, "'continue' outside a loop or with");
          return;
        }
        if (loops_[at].kind == Breakable::For) {
          loops_[at].continueUsed = true;
          Line("goto " + loops_[at].label + ";");
        } else {
          Line("continue;");
        }
        return;
      }
      case StmtKind::Exit:
        Line(isScript_ ? "return result;" : "return;");
        return;
      case StmtKind::Return:
        if (s->value) {
          GenExpr v = Expression(s->value.get());
          if (isScript_) {
            Line("{");
            ++indent_;
            Line("KslValue ksl_r = " + AsOwned(v) + ";");
            Line("ksl_Store(result, ksl_r);");
            --indent_;
            Line("}");
          } else {
            Line("{ KslValue ksl_r = " + AsOwned(v) + "; }");
          }
        }
        Line(isScript_ ? "return result;" : "return;");
        return;
      default:
        return;
    }
  }

  static std::string Parenthesised(const std::string& code) {
    return code.size() > 1 && code.front() == '(' && code.back() == ')' ? code : "(" + code + ")";
  }

  void For(const Stmt* s) {
    std::string label = "ksl_next" + std::to_string(++counter_);
    Line("{");
    ++indent_;
    if (s->body.size() > 0 && s->body[0]) Statement(s->body[0].get());
    Line("for (;;) {");
    ++indent_;
    Line("ksl_f.line = " + std::to_string(s->line) + ";");
    if (s->cond) Line("if (!" + Parenthesised(AsBool(Expression(s->cond.get()))) + ") break;");
    PushLoop(Breakable::For, label);
    Body(s->body.size() > 2 ? s->body[2].get() : nullptr);
    bool used = loops_.back().continueUsed;
    PopLoop();
    if (used) Line(label + ":;");
    if (s->body.size() > 1 && s->body[1]) Statement(s->body[1].get());
    --indent_;
    Line("}");
    --indent_;
    Line("}");
  }

  void Switch(const Stmt* s) {
    int n = ++counter_;
    std::string value = "ksl_s" + std::to_string(n), chosen = "ksl_case" + std::to_string(n);
    Line("{");
    ++indent_;
    Line("KslValue " + value + " = " + AsOwned(Expression(s->cond.get())) + ";");
    Line("int " + chosen + " = -1;");
    // The case values are compared in order; the first equal one wins.
    int label = 0, defaultLabel = -1;
    bool first = true;
    for (const auto& b : s->body) {
      if (b->kind == StmtKind::Case) {
        GenExpr c = Expression(b->cond.get());
        Line(std::string(first ? "" : "else ") + "if (ksl_Eq(" + value + ", " + AsCell(c) + ")) " + chosen + " = " +
             std::to_string(label) + ";");
        first = false;
        ++label;
      } else if (b->kind == StmtKind::Default) {
        defaultLabel = label++;
      }
    }
    if (defaultLabel >= 0) Line(std::string(first ? "" : "else ") + chosen + " = " + std::to_string(defaultLabel) + ";");
    Line("switch (" + chosen + ") {");
    ++indent_;
    label = 0;
    bool sawLabel = false, statementsSinceLabel = false;
    PushLoop(Breakable::Switch);
    for (const auto& b : s->body) {
      if (b->kind == StmtKind::Case || b->kind == StmtKind::Default) {
        // Cases fall through, as in the source language.
        if (statementsSinceLabel) Line("[[fallthrough]];");
        statementsSinceLabel = false;
        --indent_;
        Line("case " + std::to_string(label++) + ":;  // " + (b->kind == StmtKind::Default ? "default" : "case") +
             ", line " + std::to_string(b->line));
        ++indent_;
        sawLabel = true;
      } else if (!sawLabel) {
        if (b->kind != StmtKind::Empty) Error(b->line, b->column, "expected 'case' or 'default' before this statement");
      } else {
        Statement(b.get());
        statementsSinceLabel = true;
      }
    }
    PopLoop();
    --indent_;
    Line("}");
    --indent_;
    Line("}");
  }

  struct LoopContext {
    Breakable kind;
    std::string label;
    bool continueUsed = false;
  };
  void PushLoop(Breakable kind, const std::string& label = "") { loops_.push_back({kind, label, false}); }
  void PopLoop() { loops_.pop_back(); }

  FileGen& file_;
  GameGen& game_;
  const Program& program_;
  const mob::ManifestCode& code_;
  bool isScript_;
  bool localArgs_ = false;  // the script assigns to an argument: it works on copies (ksl_av)
  std::vector<std::string> lines_;
  std::set<std::string> locals_;
  std::vector<std::string> localOrder_;
  std::vector<LoopContext> loops_;
  int indent_ = 1;
  int counter_ = 0;
  int lastCommentLine_ = -1;
};

std::string ObjectFileName(const std::string& object) { return "ksl_obj_" + object + ".cpp"; }

std::string Header(const GameGen& game, const mob::Manifest& m) {
  std::string out =
      "// Declarations shared by the generated files of game \"" + m.general.name +
      "\".\n// Generated by kslc from the game's manifest and .ksl sources: do not edit.\n#pragma once\n\n"
      "#include \"KslSupport.h\"\n\n";
  out += "// Built-in variable records: the id cell is resolved at load and read at each access.\n";
  for (const auto& v : game.builtinVars_) out += "extern CompiledVariableRef ksl_var_" + v + ";\n";
  out += "\n// Function-id records of built-in functions: the id cell is read at each call.\n";
  for (const auto& f : game.functionRefs_) out += "extern CompiledFunctionRef ksl_fn_" + f + ";\n";
  out += "\n// Compiled functions, in code-index order.\n";
  for (const auto& c : m.code) {
    if (c.kind == mob::ManifestCodeKind::Script)
      out += "DynValue* " + c.functionName + "(CInstance* self, CInstance* other, DynValue* result, int argc, DynValue** args);\n";
    else
      out += "void " + c.functionName + "(CInstance* self, CInstance* other);\n";
  }
  out += "\nextern \"C\" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info);\n";
  return out;
}

std::string Tables(const GameGen& game, const mob::Manifest& m, const GenerateOptions& options) {
  std::string out = "// The compiled-code descriptor of game \"" + m.general.name +
                    "\": variable table, function-id table, function table and frame head.\n"
                    "// Generated by kslc: do not edit.\n#include \"ksl_game.h\"\n\n";
  out += "CallFrame* ksl_FrameHead = nullptr;\n\n";
  out += "// User variables in slot order (id preset to the slot), then built-in variables (id -1).\n";
  for (size_t i = 0; i < game.userVars_.size(); ++i)
    out += "static CompiledVariableRef ksl_user_" + std::to_string(i) + " = {" + CxxString(game.userVars_[i]) + ", " +
           std::to_string(i) + "};\n";
  for (const auto& v : game.builtinVars_) out += "CompiledVariableRef ksl_var_" + v + " = {" + CxxString(v) + ", -1};\n";
  out += "\nstatic CompiledVariableRef* ksl_variableTable[] = {\n";
  for (size_t i = 0; i < game.userVars_.size(); ++i) out += "    &ksl_user_" + std::to_string(i) + ",\n";
  for (const auto& v : game.builtinVars_) out += "    &ksl_var_" + v + ",\n";
  out += "    nullptr,\n};\n\n";
  for (const auto& f : game.functionRefs_) out += "CompiledFunctionRef ksl_fn_" + f + " = {" + CxxString(f) + ", 0};\n";
  out += "\nstatic CompiledFunctionRef* ksl_functionIdTable[] = {\n";
  for (const auto& f : game.functionRefs_) out += "    &ksl_fn_" + f + ",\n";
  out += "    nullptr,\n};\n\n";
  out += "// By code index. The last entry only keeps the array non-empty; it is not counted.\n";
  out += "static CompiledFunctionEntry ksl_functionTable[] = {\n";
  for (size_t i = 0; i < m.code.size(); ++i)
    out += "    {" + CxxString(m.code[i].functionName) + ", reinterpret_cast<CompiledAnyFn>(&" + m.code[i].functionName +
           ")},  // " + std::to_string(i) + "\n";
  out += "    {nullptr, nullptr},\n};\n\n";
  if (!options.embedSymbol.empty())
    out += "extern \"C\" const uint8_t " + options.embedSymbol + "[];\nextern \"C\" const uint32_t " +
           options.embedSymbol + "_size;\n\n";
  std::string count = std::to_string(game.userVars_.size());
  out += "// The text of every line a statement starts on, by function: error reports\n"
         "// quote the line that was running.\n";
  std::string index;
  int tables = 0;
  for (const auto& [function, lines] : game.sourceLines_) {
    if (lines.empty()) continue;
    std::string name = "ksl_lines" + std::to_string(tables++);
    out += "static const KslSourceLine " + name + "[] = {\n";
    for (const auto& [line, text] : lines) out += "    {" + std::to_string(line) + ", " + CxxString(text) + "},\n";
    out += "};\n";
    index += "    {" + CxxString(function) + ", " + name + ", " + std::to_string(lines.size()) + "},\n";
  }
  if (tables > 0) {
    out += "static const KslSourceLines ksl_sourceLines[] = {\n" + index + "};\n";
    out += "static const char* ksl_SourceLine(const char* function, int line) {\n"
           "  return ksl_FindSourceLine(ksl_sourceLines, " + std::to_string(tables) + ", function, line);\n}\n\n";
  } else {
    out += "static const char* ksl_SourceLine(const char*, int) { return nullptr; }\n\n";
  }
  out += "extern \"C\" void ksl_GetCompiledCodeInfo(CompiledCodeInfo* info) {\n";
  out += "  Error_SetSourceLineProvider(&ksl_SourceLine);\n";
  if (options.embedSymbol.empty()) {
    out += "  info->gameData = nullptr;  // the runner loads the game data from a file\n  info->gameDataSize = 0;\n";
  } else {
    out += "  info->gameData = " + options.embedSymbol + ";\n  info->gameDataSize = " + options.embedSymbol + "_size;\n";
  }
  out += "  info->globalVariableCount = " + count + ";\n";
  out += "  info->instanceVariableCount = " + count + ";\n";
  out += "  info->functionCount = " + std::to_string(m.code.size()) + ";\n";
  out += "  info->variableTable = ksl_variableTable;\n";
  out += "  info->functionIdTable = ksl_functionIdTable;\n";
  out += "  info->functionTable = ksl_functionTable;\n";
  out += "  info->frameHead = &ksl_FrameHead;\n}\n";
  return out;
}

}  // namespace

std::vector<std::string> OutputFileNames(const mob::Manifest& manifest) {
  std::vector<std::string> names = {"ksl_game.h", "ksl_tables.cpp", "ksl_scripts.cpp", "ksl_rooms.cpp"};
  for (const auto& o : manifest.objects) names.push_back(ObjectFileName(o.name));
  return names;
}

bool GenerateGame(const mob::Manifest& manifest, const std::vector<Program>& programs, const GenerateOptions& options,
                  std::vector<GeneratedFile>* files, Diagnostics& diagnostics) {
  files->clear();
  if (programs.size() != manifest.code.size()) {
    diagnostics.Error(manifest.path, 0, 0, "internal: one parsed program per code index is needed");
    return false;
  }
  int errorsBefore = diagnostics.Count();
  GameGen game(manifest, diagnostics);

  // Functions are generated in code-index order, so slots follow first use in
  // that order.
  FileGen scripts(game), rooms(game);
  std::vector<FileGen> objects(manifest.objects.size(), FileGen(game));
  for (size_t i = 0; i < manifest.code.size(); ++i) {
    const mob::ManifestCode& code = manifest.code[i];
    FileGen* file = code.kind == mob::ManifestCodeKind::Script   ? &scripts
                    : code.kind == mob::ManifestCodeKind::Event ? &objects[code.owner]
                                                                 : &rooms;
    FunctionGen(*file, programs[i], code).Generate();
  }
  if (diagnostics.Count() != errorsBefore) return false;

  files->push_back({"ksl_game.h", Header(game, manifest)});
  files->push_back({"ksl_tables.cpp", Tables(game, manifest, options)});
  files->push_back({"ksl_scripts.cpp", scripts.Text("Scripts")});
  files->push_back({"ksl_rooms.cpp", rooms.Text("Room creation codes")});
  for (size_t i = 0; i < manifest.objects.size(); ++i)
    files->push_back({ObjectFileName(manifest.objects[i].name), objects[i].Text("Object " + manifest.objects[i].name)});
  return true;
}

}  // namespace kslc

// SPDX-License-Identifier: Zlib
// Statements of one function: the function itself, assignments, blocks,
// control flow (if, loops, with, switch), and the source-line marks.
#include "CodeGenInternal.h"

#include "Names.h"

namespace kslc::gen {

void FunctionGen::Generate() {
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

// ---- Output ----
void FunctionGen::Line(const std::string& text) {
  file_.body_.append(static_cast<size_t>(indent_) * 2, ' ');
  file_.body_ += text;
  file_.body_ += '\n';
}

void FunctionGen::Error(int line, int column, const std::string& message) { game_.diag_.Error(program_.file, line, column, message); }

// ---- Assignments ----
const char* FunctionGen::CompoundHelper(Tok op) {
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

void FunctionGen::Assign(const Expr* target, Tok op, const GenExpr& value) {
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

void FunctionGen::StoreWithHelper(const std::string& helper, const std::string& read, std::string write) {
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
void FunctionGen::MarkLine(const Stmt* s) {
  if (s->line >= 1 && s->line <= static_cast<int>(lines_.size()))
    game_.sourceLines_[code_.functionName][s->line] = SourceText(lines_[s->line - 1]);
  if (s->line != lastCommentLine_ && s->line >= 1 && s->line <= static_cast<int>(lines_.size())) {
    std::string text = CommentText(lines_[s->line - 1]);
    Line("// " + BaseName(program_.file) + ":" + std::to_string(s->line) + (text.empty() ? "" : "  " + text));
    lastCommentLine_ = s->line;
  }
  Line("ksl_f.line = " + std::to_string(s->line) + ";");
}

void FunctionGen::Body(const Stmt* s) {
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

void FunctionGen::Statement(const Stmt* s) {
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

std::string FunctionGen::Parenthesised(const std::string& code) {
  return code.size() > 1 && code.front() == '(' && code.back() == ')' ? code : "(" + code + ")";
}

void FunctionGen::For(const Stmt* s) {
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

void FunctionGen::Switch(const Stmt* s) {
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

void FunctionGen::PushLoop(Breakable kind, const std::string& label) { loops_.push_back({kind, label, false}); }

void FunctionGen::PopLoop() { loops_.pop_back(); }

}  // namespace kslc::gen

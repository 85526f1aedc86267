// SPDX-License-Identifier: Zlib
#include "Parser.h"

namespace kslc {

namespace {

class Parser {
 public:
  Parser(const std::string& file, std::vector<Token> tokens, Diagnostics& d)
      : file_(file), toks_(std::move(tokens)), diag_(d) {}

  std::vector<StmtPtr> ParseFile() {
    std::vector<StmtPtr> out;
    while (!Check(Tok::End) && !diag_.Full()) {
      size_t before = pos_;
      if (Check(Tok::RBrace)) {
        Error(Cur(), "unexpected '}' with no open '{'");
        Advance();
        panic_ = false;
        continue;
      }
      StmtPtr s = ParseStatement();
      if (s) out.push_back(std::move(s));
      if (pos_ == before) Advance();  // always make progress
    }
    return out;
  }

 private:
  // ---- Tokens ----
  const Token& Cur() const { return toks_[pos_]; }
  const Token& Ahead(size_t n) const { return toks_[pos_ + n < toks_.size() ? pos_ + n : toks_.size() - 1]; }
  bool Check(Tok k) const { return Cur().kind == k; }
  void Advance() {
    if (pos_ + 1 < toks_.size()) ++pos_;
  }
  bool Match(Tok k) {
    if (!Check(k)) return false;
    Advance();
    return true;
  }
  // Consumes `k` or reports "expected <k> <context>".
  bool Expect(Tok k, const std::string& context) {
    if (Match(k)) return true;
    Error(Cur(), "expected " + Tok_Describe(k) + " " + context + ", found " + Found(Cur()));
    return false;
  }
  static std::string Found(const Token& t) {
    switch (t.kind) {
      case Tok::End: return "end of file";
      case Tok::Ident: return "'" + t.text + "'";
      case Tok::Number: return "number " + t.text;
      case Tok::String: return "a string";
      default: return Tok_Describe(t.kind);
    }
  }
  void Error(const Token& at, const std::string& message) {
    if (panic_) return;  // one message per broken statement
    panic_ = true;
    diag_.Error(file_, at.line, at.column, message);
  }

  // Skips to the end of a broken statement: past a ';', before a '}', or to a
  // token on a later line that can start a statement.
  void Recover(int errorLine) {
    while (!Check(Tok::End)) {
      if (Match(Tok::Semicolon)) break;
      if (Check(Tok::RBrace)) break;
      if (Cur().line > errorLine && StartsStatement(Cur().kind)) break;
      Advance();
    }
    panic_ = false;
  }
  static bool StartsStatement(Tok k) {
    switch (k) {
      case Tok::Ident: case Tok::KwVar: case Tok::KwIf: case Tok::KwWhile: case Tok::KwDo: case Tok::KwFor:
      case Tok::KwRepeat: case Tok::KwWith: case Tok::KwSwitch: case Tok::KwBreak: case Tok::KwContinue:
      case Tok::KwExit: case Tok::KwReturn: case Tok::LBrace: case Tok::KwCase: case Tok::KwDefault:
      case Tok::PlusPlus: case Tok::MinusMinus:
        return true;
      default:
        return false;
    }
  }

  StmtPtr NewStmt(StmtKind kind, const Token& at) {
    auto s = std::make_unique<Stmt>();
    s->kind = kind;
    s->line = at.line;
    s->column = at.column;
    return s;
  }
  ExprPtr NewExpr(ExprKind kind, const Token& at) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->line = at.line;
    e->column = at.column;
    return e;
  }

  // ---- Statements ----
  StmtPtr ParseStatement() {
    const Token start = Cur();
    if (depth_ >= MAX_DEPTH) {
      Error(start, "statements nested too deeply (more than " + std::to_string(MAX_DEPTH) + " levels)");
      Recover(start.line);
      return nullptr;
    }
    ++depth_;
    StmtPtr s = ParseStatementInner();
    --depth_;
    if (panic_) Recover(start.line);
    while (Match(Tok::Semicolon)) {
    }
    return s;
  }

  StmtPtr ParseStatementInner() {
    const Token t = Cur();
    switch (t.kind) {
      case Tok::LBrace: {
        Advance();
        StmtPtr s = NewStmt(StmtKind::Block, t);
        ParseBlockBody(s->body, "to close the block opened at line " + std::to_string(t.line));
        return s;
      }
      case Tok::Semicolon:
        Advance();
        return NewStmt(StmtKind::Empty, t);
      case Tok::KwVar: return ParseVar();
      case Tok::KwIf: {
        Advance();
        StmtPtr s = NewStmt(StmtKind::If, t);
        s->cond = ParseExpression("after 'if'");
        s->body.push_back(ParseBody("'if'"));
        if (Match(Tok::KwElse)) s->body.push_back(ParseBody("'else'"));
        return s;
      }
      case Tok::KwWhile: {
        Advance();
        StmtPtr s = NewStmt(StmtKind::While, t);
        s->cond = ParseExpression("after 'while'");
        s->body.push_back(ParseBody("'while'"));
        return s;
      }
      case Tok::KwDo: {
        Advance();
        StmtPtr s = NewStmt(StmtKind::DoUntil, t);
        s->body.push_back(ParseBody("'do'"));
        if (Expect(Tok::KwUntil, "after the body of 'do'")) s->cond = ParseExpression("after 'until'");
        return s;
      }
      case Tok::KwRepeat: case Tok::KwWith: {
        Advance();
        StmtPtr s = NewStmt(t.kind == Tok::KwRepeat ? StmtKind::Repeat : StmtKind::With, t);
        s->cond = ParseExpression("after '" + t.text + "'");
        s->body.push_back(ParseBody("'" + t.text + "'"));
        return s;
      }
      case Tok::KwFor: return ParseFor();
      case Tok::KwSwitch: return ParseSwitch();
      case Tok::KwCase: case Tok::KwDefault:
        Error(t, "'" + t.text + "' outside a switch");
        Advance();
        return nullptr;
      case Tok::KwBreak: Advance(); return NewStmt(StmtKind::Break, t);
      case Tok::KwContinue: Advance(); return NewStmt(StmtKind::Continue, t);
      case Tok::KwExit: Advance(); return NewStmt(StmtKind::Exit, t);
      case Tok::KwReturn: {
        Advance();
        StmtPtr s = NewStmt(StmtKind::Return, t);
        if (!Check(Tok::Semicolon) && !Check(Tok::RBrace) && !Check(Tok::End) && Cur().line == t.line)
          s->value = ParseExpression("after 'return'");
        return s;
      }
      default:
        return ParseSimpleStatement("");
    }
  }

  // Statements up to the matching '}' (which is consumed).
  void ParseBlockBody(std::vector<StmtPtr>& body, const std::string& closeContext) {
    while (!Check(Tok::RBrace) && !Check(Tok::End) && !diag_.Full()) {
      size_t before = pos_;
      StmtPtr s = ParseStatement();
      if (s) body.push_back(std::move(s));
      if (pos_ == before) Advance();
    }
    Expect(Tok::RBrace, closeContext);
  }

  // The controlled statement of if/while/for/...; never null.
  StmtPtr ParseBody(const std::string& owner) {
    if (Check(Tok::End) || Check(Tok::RBrace)) {
      Error(Cur(), "expected a statement after " + owner + ", found " + Found(Cur()));
      return NewStmt(StmtKind::Empty, Cur());
    }
    StmtPtr s = ParseStatement();
    return s ? std::move(s) : NewStmt(StmtKind::Empty, Cur());
  }

  StmtPtr ParseVar() {
    const Token t = Cur();
    Advance();
    StmtPtr s = NewStmt(StmtKind::Var, t);
    do {
      const Token name = Cur();
      if (!Check(Tok::Ident)) {
        Error(name, "expected a variable name after 'var', found " + Found(name));
        return s;
      }
      Advance();
      s->names.push_back(name.text);
      s->nameColumns.push_back(name.column);
      if (Match(Tok::Assign))
        s->inits.push_back(ParseExpression("after '='"));
      else
        s->inits.push_back(nullptr);
    } while (Match(Tok::Comma));
    return s;
  }

  StmtPtr ParseFor() {
    const Token t = Cur();
    Advance();
    StmtPtr s = NewStmt(StmtKind::For, t);
    if (!Expect(Tok::LParen, "after 'for'")) return s;
    if (!Check(Tok::Semicolon)) {
      ++depth_;
      s->body.push_back(Check(Tok::KwVar) ? ParseVar() : ParseSimpleStatement("in the first part of 'for'"));
      --depth_;
    } else {
      s->body.push_back(nullptr);
    }
    if (!Expect(Tok::Semicolon, "after the first part of 'for'")) return s;
    if (!Check(Tok::Semicolon)) s->cond = ParseExpression("as the condition of 'for'");
    if (!Expect(Tok::Semicolon, "after the condition of 'for'")) return s;
    if (!Check(Tok::RParen)) {
      ++depth_;
      s->body.push_back(ParseSimpleStatement("in the last part of 'for'"));
      --depth_;
    } else {
      s->body.push_back(nullptr);
    }
    if (!Expect(Tok::RParen, "to close 'for ('")) return s;
    s->body.push_back(ParseBody("'for'"));
    return s;
  }

  StmtPtr ParseSwitch() {
    const Token t = Cur();
    Advance();
    StmtPtr s = NewStmt(StmtKind::Switch, t);
    s->cond = ParseExpression("after 'switch'");
    if (!Expect(Tok::LBrace, "to open the body of 'switch'")) return s;
    bool sawDefault = false;
    while (!Check(Tok::RBrace) && !Check(Tok::End) && !diag_.Full()) {
      size_t before = pos_;
      const Token label = Cur();
      if (Match(Tok::KwCase)) {
        StmtPtr c = NewStmt(StmtKind::Case, label);
        c->cond = ParseExpression("after 'case'");
        Expect(Tok::Colon, "after the case value");
        if (panic_) Recover(label.line);
        s->body.push_back(std::move(c));
      } else if (Match(Tok::KwDefault)) {
        if (sawDefault) Error(label, "a second 'default' in one switch");
        sawDefault = true;
        Expect(Tok::Colon, "after 'default'");
        if (panic_) Recover(label.line);
        s->body.push_back(NewStmt(StmtKind::Default, label));
      } else {
        StmtPtr st = ParseStatement();
        if (st) s->body.push_back(std::move(st));
      }
      if (pos_ == before) Advance();
    }
    Expect(Tok::RBrace, "to close the body of 'switch'");
    return s;
  }

  // Assignment, ++/-- or a call.
  StmtPtr ParseSimpleStatement(const std::string& context) {
    const Token t = Cur();
    if (Check(Tok::PlusPlus) || Check(Tok::MinusMinus)) {
      Advance();
      StmtPtr s = NewStmt(StmtKind::IncDec, t);
      s->op = t.kind;
      s->target = ParsePostfix();
      CheckAssignable(s->target.get(), t);
      return s;
    }
    if (!Check(Tok::Ident) && !Check(Tok::LParen)) {
      Error(t, "expected a statement" + (context.empty() ? "" : " " + context) + ", found " + Found(t));
      return nullptr;
    }
    ExprPtr target = ParsePostfix();
    if (panic_) return nullptr;
    const Token op = Cur();
    switch (op.kind) {
      case Tok::Assign: case Tok::PlusAssign: case Tok::MinusAssign: case Tok::StarAssign: case Tok::SlashAssign:
      case Tok::PercentAssign: case Tok::AndAssign: case Tok::OrAssign: case Tok::XorAssign: {
        Advance();
        StmtPtr s = NewStmt(StmtKind::Assign, t);
        s->op = op.kind;
        CheckAssignable(target.get(), t);
        s->target = std::move(target);
        s->value = ParseExpression("after " + Tok_Describe(op.kind));
        return s;
      }
      case Tok::PlusPlus: case Tok::MinusMinus: {
        Advance();
        StmtPtr s = NewStmt(StmtKind::IncDec, t);
        s->op = op.kind;
        CheckAssignable(target.get(), t);
        s->target = std::move(target);
        return s;
      }
      default:
        break;
    }
    if (target->kind == ExprKind::Call) {
      StmtPtr s = NewStmt(StmtKind::Call, t);
      s->value = std::move(target);
      return s;
    }
    Error(op, "expected an assignment, '++', '--' or a call after '" + Describe(target.get()) + "', found " + Found(op));
    return nullptr;
  }

  static std::string Describe(const Expr* e) {
    switch (e->kind) {
      case ExprKind::Name: return e->text;
      case ExprKind::Member: return Describe(e->kids[0].get()) + "." + e->text;
      case ExprKind::Index: return Describe(e->kids[0].get()) + "[...]";
      case ExprKind::Call: return e->text + "(...)";
      default: return "expression";
    }
  }

  void CheckAssignable(const Expr* e, const Token& at) {
    if (!e) return;
    if (e->kind == ExprKind::Name || e->kind == ExprKind::Member || e->kind == ExprKind::Index) return;
    Error(at, "expected a variable to assign to, found " + Describe(e));
  }

  // ---- Expressions ----
  ExprPtr ParseExpression(const std::string& context) {
    if (Check(Tok::End) || Check(Tok::Semicolon) || Check(Tok::RBrace) || Check(Tok::RParen)) {
      Error(Cur(), "expected an expression " + context + ", found " + Found(Cur()));
      return Dummy();
    }
    return ParseTernary();
  }

  ExprPtr Dummy() {
    ExprPtr e = NewExpr(ExprKind::Number, Cur());
    e->number = 0;
    return e;
  }

  // Depth guard shared by every recursive expression rule.
  struct DepthGuard {
    Parser* p;
    bool ok;
    explicit DepthGuard(Parser* parser) : p(parser), ok(++parser->depth_ <= MAX_DEPTH) {
      if (!ok) p->Error(p->Cur(), "expression nested too deeply (more than " + std::to_string(MAX_DEPTH) + " levels)");
    }
    ~DepthGuard() { --p->depth_; }
  };

  ExprPtr ParseTernary() {
    DepthGuard guard(this);
    if (!guard.ok) return Dummy();
    ExprPtr cond = ParseBinary(0);
    if (!Check(Tok::Question)) return cond;
    const Token q = Cur();
    Advance();
    ExprPtr e = NewExpr(ExprKind::Ternary, q);
    e->kids.push_back(std::move(cond));
    e->kids.push_back(ParseTernary());
    Expect(Tok::Colon, "in '?:'");
    e->kids.push_back(ParseTernary());
    return e;
  }

  // Binary precedence levels, loosest first; returns -1 for a non-operator.
  static int Level(Tok k) {
    switch (k) {
      case Tok::OrOr: case Tok::KwOr: return 0;
      case Tok::XorXor: case Tok::KwXor: return 1;
      case Tok::AndAnd: case Tok::KwAnd: return 2;
      case Tok::Eq: case Tok::Ne: case Tok::Lt: case Tok::Le: case Tok::Gt: case Tok::Ge: case Tok::Assign: return 3;
      case Tok::BitOr: case Tok::BitXor: case Tok::BitAnd: return 4;
      case Tok::Shl: case Tok::Shr: return 5;
      case Tok::Plus: case Tok::Minus: return 6;
      case Tok::Star: case Tok::Slash: case Tok::Percent: case Tok::KwMod: case Tok::KwDiv: return 7;
      default: return -1;
    }
  }
  static constexpr int LEVEL_COUNT = 8;

  // Left-associative levels by precedence climbing.
  ExprPtr ParseBinary(int level) {
    if (level >= LEVEL_COUNT) return ParseUnary();
    ExprPtr left = ParseBinary(level + 1);
    while (Level(Cur().kind) == level && !panic_) {
      const Token op = Cur();
      Advance();
      ExprPtr e = NewExpr(ExprKind::Binary, op);
      // Inside an expression '=' compares, as '==' does.
      e->op = op.kind == Tok::Assign ? Tok::Eq : op.kind;
      e->kids.push_back(std::move(left));
      e->kids.push_back(ParseBinary(level + 1));
      left = std::move(e);
    }
    return left;
  }

  ExprPtr ParseUnary() {
    DepthGuard guard(this);
    if (!guard.ok) return Dummy();
    const Token t = Cur();
    Tok op = Tok::End;
    switch (t.kind) {
      case Tok::Minus: op = Tok::Minus; break;
      case Tok::Plus: op = Tok::Plus; break;
      case Tok::Not: case Tok::KwNot: op = Tok::Not; break;
      case Tok::BitNot: op = Tok::BitNot; break;
      case Tok::PlusPlus: case Tok::MinusMinus: {
        // ++x / --x: the variable steps first, the expression is its new value.
        Advance();
        ExprPtr e = NewExpr(ExprKind::IncDec, t);
        e->op = t.kind;
        ExprPtr target = ParsePostfix();
        CheckAssignable(target.get(), t);
        e->kids.push_back(std::move(target));
        return e;
      }
      default: return ParsePostfixStep();
    }
    Advance();
    ExprPtr e = NewExpr(ExprKind::Unary, t);
    e->op = op;
    e->kids.push_back(ParseUnary());
    return e;
  }

  // x++ / x--: the expression is the old value. The operator must stand on
  // the line of its operand: semicolons are optional, so a '++' that starts
  // the next line begins the next statement instead.
  ExprPtr ParsePostfixStep() {
    ExprPtr e = ParsePostfix();
    if (panic_ || (!Check(Tok::PlusPlus) && !Check(Tok::MinusMinus)) || pos_ == 0 ||
        Cur().line != toks_[pos_ - 1].line)
      return e;
    const Token op = Cur();
    CheckAssignable(e.get(), op);
    Advance();
    ExprPtr step = NewExpr(ExprKind::IncDec, op);
    step->op = op.kind;
    step->postfix = true;
    step->kids.push_back(std::move(e));
    return step;
  }

  ExprPtr ParsePostfix() {
    ExprPtr e = ParsePrimary();
    for (;;) {
      if (panic_) return e;
      const Token t = Cur();
      if (t.kind == Tok::Dot) {
        Advance();
        if (!Check(Tok::Ident)) {
          Error(Cur(), "expected a variable name after '.', found " + Found(Cur()));
          return e;
        }
        ExprPtr m = NewExpr(ExprKind::Member, Cur());
        m->text = Cur().text;
        m->kids.push_back(std::move(e));
        Advance();
        e = std::move(m);
      } else if (t.kind == Tok::LBracket) {
        if (e->kind != ExprKind::Name && e->kind != ExprKind::Member) {
          Error(t, "only variables can be indexed with '['");
          return e;
        }
        Advance();
        ExprPtr ix = NewExpr(ExprKind::Index, t);
        ix->kids.push_back(std::move(e));
        ix->kids.push_back(ParseExpression("as an index"));
        if (Match(Tok::Comma)) ix->kids.push_back(ParseExpression("as the second index"));
        Expect(Tok::RBracket, "to close the index");
        e = std::move(ix);
      } else if (t.kind == Tok::LParen && e->kind == ExprKind::Name) {
        // Only a plain name can be called: a.b() has no meaning in this language.
        Advance();
        ExprPtr call = NewExpr(ExprKind::Call, t);
        call->text = e->text;
        call->line = e->line;
        call->column = e->column;
        if (!Check(Tok::RParen)) {
          do {
            call->kids.push_back(ParseExpression("as an argument of " + call->text + "()"));
            if (panic_) return call;
          } while (Match(Tok::Comma));
        }
        Expect(Tok::RParen, "to close the arguments of " + call->text + "()");
        e = std::move(call);
      } else {
        return e;
      }
    }
  }

  ExprPtr ParsePrimary() {
    const Token t = Cur();
    switch (t.kind) {
      case Tok::Number: {
        Advance();
        ExprPtr e = NewExpr(ExprKind::Number, t);
        e->number = t.number;
        return e;
      }
      case Tok::String: {
        Advance();
        ExprPtr e = NewExpr(ExprKind::String, t);
        e->text = t.text;
        return e;
      }
      case Tok::Ident: {
        Advance();
        ExprPtr e = NewExpr(ExprKind::Name, t);
        e->text = t.text;
        return e;
      }
      case Tok::LParen: {
        Advance();
        DepthGuard guard(this);
        if (!guard.ok) return Dummy();
        ExprPtr e = ParseExpression("after '('");
        Expect(Tok::RParen, "to close '(' opened at line " + std::to_string(t.line) + " column " +
                                std::to_string(t.column));
        return e;
      }
      default:
        Error(t, "expected an expression, found " + Found(t));
        return Dummy();
    }
  }

  const std::string& file_;
  std::vector<Token> toks_;
  Diagnostics& diag_;
  size_t pos_ = 0;
  int depth_ = 0;
  bool panic_ = false;
};

}  // namespace

Program Parse(const std::string& file, const std::string& source, Diagnostics& diagnostics) {
  Program program;
  program.file = file;
  program.source = source;
  std::vector<Token> tokens = Lex(file, source, diagnostics);
  Parser parser(file, std::move(tokens), diagnostics);
  program.statements = parser.ParseFile();
  return program;
}

}  // namespace kslc

// SPDX-License-Identifier: Zlib
// The syntax tree of one .ksl file. Two node types, expressions and
// statements, each a kind plus children; names are kept as written and are
// resolved by the code generator, which knows the manifest and the runtime's
// built-in names.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Lexer.h"

namespace kslc {

enum class ExprKind {
  Number,   // number
  String,   // text
  Name,     // text: an identifier (variable, constant, resource, argumentN...)
  Member,   // kids[0] . text           (a.b)
  Index,    // kids[0] [ kids[1] (, kids[2]) ]   kids[0] is Name or Member
  Call,     // text ( kids... )
  Unary,    // op kids[0]:  Minus, Not, BitNot, Plus
  Binary,   // kids[0] op kids[1]
  Ternary,  // kids[0] ? kids[1] : kids[2]
  IncDec,   // op kids[0] (prefix) or kids[0] op (postfix); op: PlusPlus / MinusMinus
};

struct Expr {
  ExprKind kind;
  Tok op = Tok::End;
  std::string text;
  double number = 0;
  bool postfix = false;  // IncDec: x++ (the old value) rather than ++x (the new one)
  int line = 0, column = 0;
  std::vector<std::unique_ptr<Expr>> kids;
};
using ExprPtr = std::unique_ptr<Expr>;

enum class StmtKind {
  Block,     // body
  Var,       // names[i] = inits[i] (null init: declaration only)
  Assign,    // target op value: op is Assign or a compound assignment
  IncDec,    // target op: PlusPlus / MinusMinus
  Call,      // value (a Call expression) whose result is dropped
  If,        // cond, body[0], optional body[1]
  While,     // cond, body[0]
  DoUntil,   // body[0], cond
  For,       // body[0] init (may be null), cond (may be null), body[1] step (may be null), body[2] loop body
  Repeat,    // cond (the count), body[0]
  With,      // cond (the target), body[0]
  Switch,    // cond, body: statements, Case and Default labels in order
  Case,      // cond: the case value
  Default,
  Break,
  Continue,
  Exit,
  Return,    // optional value
  Empty,
};

struct Stmt {
  StmtKind kind;
  Tok op = Tok::End;
  int line = 0, column = 0;
  ExprPtr target, value, cond;
  std::vector<std::string> names;  // Var
  std::vector<ExprPtr> inits;      // Var
  std::vector<int> nameColumns;    // Var
  std::vector<std::unique_ptr<Stmt>> body;
};
using StmtPtr = std::unique_ptr<Stmt>;

// A parsed file: its top-level statements form the body of one function.
struct Program {
  std::string file;    // as named in messages
  std::string source;  // the text, for source-line comments
  std::vector<StmtPtr> statements;
};

}  // namespace kslc

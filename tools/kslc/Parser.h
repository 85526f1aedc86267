// SPDX-License-Identifier: Zlib
// The parser: tokens to a syntax tree by recursive descent.
//
// Statements: blocks in braces, `var`, assignments (= += -= *= /= %= &= |= ^=),
// ++ and --, calls, if/else, while, do/until, for, repeat, with, switch with
// case/default, break, continue, exit and return. Semicolons are optional.
//
// Expressions, from the loosest binding to the tightest:
//   ?:                         (right associative)
//   || or
//   ^^ xor
//   && and
//   == != <> < <= > >=  and '=' read as '==' inside an expression
//   | ^ &
//   << >>
//   + -
//   * / % mod div
//   unary - + ! not ~, prefix ++x --x
//   postfix x++ x-- (on the operand's line)
//   postfix: call f(...), member a.b, index a[i] / a[i, j]
//
// On an error the parser reports what it expected, skips to the end of the
// statement and goes on. Nesting is limited to MAX_DEPTH so that no input can
// exhaust the compiler's stack.
#pragma once

#include "Ast.h"
#include "Diagnostics.h"

namespace kslc {

// Deeper than any sensible program; keeps recursion far from the stack limit.
constexpr int MAX_DEPTH = 256;

// Parses one file. Errors go to `diagnostics`; the returned program holds what
// could be parsed.
Program Parse(const std::string& file, const std::string& source, Diagnostics& diagnostics);

}  // namespace kslc

// SPDX-License-Identifier: Zlib
// The lexer: .ksl text to tokens. Comments (// and /* */) and white space are
// dropped; numbers are decimal (12, 1.5, .5) or hexadecimal ($FF, 0xFF);
// strings use double or single quotes with the escapes \n \t \r \" \' \\ and \0.
// Words that are keywords of the language come out as their own token kinds;
// every other word is an identifier, resolved later by the code generator.
#pragma once

#include <string>
#include <vector>

#include "Diagnostics.h"

namespace kslc {

enum class Tok {
  End,
  Ident,
  Number,
  String,
  // punctuation
  LParen, RParen, LBracket, RBracket, LBrace, RBrace, Comma, Semicolon, Colon, Dot, Question,
  // operators
  Assign, PlusAssign, MinusAssign, StarAssign, SlashAssign, PercentAssign, AndAssign, OrAssign, XorAssign,
  PlusPlus, MinusMinus,
  Plus, Minus, Star, Slash, Percent,
  Eq, Ne, Lt, Le, Gt, Ge,
  AndAnd, OrOr, XorXor, Not,
  BitAnd, BitOr, BitXor, BitNot, Shl, Shr,
  // keywords
  KwVar, KwIf, KwElse, KwWhile, KwDo, KwUntil, KwFor, KwRepeat, KwWith, KwSwitch, KwCase, KwDefault,
  KwBreak, KwContinue, KwExit, KwReturn, KwAnd, KwOr, KwXor, KwNot, KwMod, KwDiv,
};

struct Token {
  Tok kind = Tok::End;
  std::string text;     // identifier name, string contents (escapes applied), or the source spelling
  double number = 0;    // Tok::Number
  int line = 1;
  int column = 1;
};

// How a token kind reads in messages ("';'", "identifier", "end of file").
std::string Tok_Describe(Tok kind);

// Splits `source` into tokens ending with Tok::End. Bad characters, unterminated
// strings and comments are reported and skipped.
std::vector<Token> Lex(const std::string& file, const std::string& source, Diagnostics& diagnostics);

}  // namespace kslc

// SPDX-License-Identifier: Zlib
#include "Lexer.h"

#include <cstdlib>
#include <cstring>

namespace kslc {

namespace {

struct Keyword {
  const char* word;
  Tok kind;
};
const Keyword kKeywords[] = {
    {"var", Tok::KwVar},       {"if", Tok::KwIf},         {"else", Tok::KwElse},         {"while", Tok::KwWhile},
    {"do", Tok::KwDo},         {"until", Tok::KwUntil},   {"for", Tok::KwFor},           {"repeat", Tok::KwRepeat},
    {"with", Tok::KwWith},     {"switch", Tok::KwSwitch}, {"case", Tok::KwCase},         {"default", Tok::KwDefault},
    {"break", Tok::KwBreak},   {"continue", Tok::KwContinue}, {"exit", Tok::KwExit},     {"return", Tok::KwReturn},
    {"and", Tok::KwAnd},       {"or", Tok::KwOr},         {"xor", Tok::KwXor},           {"not", Tok::KwNot},
    {"mod", Tok::KwMod},       {"div", Tok::KwDiv},
};

// Operators, longest first so that "<<" wins over "<".
struct Operator {
  const char* spelling;
  Tok kind;
};
const Operator kOperators[] = {
    {"+=", Tok::PlusAssign}, {"-=", Tok::MinusAssign}, {"*=", Tok::StarAssign}, {"/=", Tok::SlashAssign},
    {"%=", Tok::PercentAssign}, {"&=", Tok::AndAssign}, {"|=", Tok::OrAssign}, {"^=", Tok::XorAssign},
    {"++", Tok::PlusPlus},  {"--", Tok::MinusMinus},  {"==", Tok::Eq},        {"!=", Tok::Ne},
    {"<>", Tok::Ne},        {"<=", Tok::Le},          {">=", Tok::Ge},        {"&&", Tok::AndAnd},
    {"||", Tok::OrOr},      {"^^", Tok::XorXor},      {"<<", Tok::Shl},       {">>", Tok::Shr},
    {"(", Tok::LParen},     {")", Tok::RParen},       {"[", Tok::LBracket},   {"]", Tok::RBracket},
    {"{", Tok::LBrace},     {"}", Tok::RBrace},       {",", Tok::Comma},      {";", Tok::Semicolon},
    {":", Tok::Colon},      {".", Tok::Dot},          {"?", Tok::Question},   {"=", Tok::Assign},
    {"+", Tok::Plus},       {"-", Tok::Minus},        {"*", Tok::Star},       {"/", Tok::Slash},
    {"%", Tok::Percent},    {"<", Tok::Lt},           {">", Tok::Gt},         {"!", Tok::Not},
    {"&", Tok::BitAnd},     {"|", Tok::BitOr},        {"^", Tok::BitXor},     {"~", Tok::BitNot},
};

bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

class Lexer {
 public:
  Lexer(const std::string& file, const std::string& source, Diagnostics& d) : file_(file), src_(source), diag_(d) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    for (;;) {
      SkipSpaceAndComments();
      Token t;
      t.line = line_;
      t.column = Column();
      if (pos_ >= src_.size()) {
        t.kind = Tok::End;
        tokens.push_back(t);
        return tokens;
      }
      if (ReadToken(&t)) tokens.push_back(std::move(t));
    }
  }

 private:
  int Column() const { return static_cast<int>(pos_ - lineStart_) + 1; }
  char Peek(size_t ahead = 0) const { return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0'; }
  void Advance() {
    if (src_[pos_] == '\n') {
      ++line_;
      lineStart_ = pos_ + 1;
    }
    ++pos_;
  }

  void SkipSpaceAndComments() {
    while (pos_ < src_.size()) {
      char c = Peek();
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
        Advance();
      } else if (c == '/' && Peek(1) == '/') {
        while (pos_ < src_.size() && Peek() != '\n') Advance();
      } else if (c == '/' && Peek(1) == '*') {
        int line = line_, column = Column();
        Advance();
        Advance();
        while (pos_ < src_.size() && !(Peek() == '*' && Peek(1) == '/')) Advance();
        if (pos_ >= src_.size()) {
          diag_.Error(file_, line, column, "unterminated comment: expected '*/'");
          return;
        }
        Advance();
        Advance();
      } else {
        return;
      }
    }
  }

  bool ReadToken(Token* t) {
    char c = Peek();
    if (IsIdentStart(c)) {
      size_t start = pos_;
      while (IsIdentStart(Peek()) || IsDigit(Peek())) Advance();
      t->text = src_.substr(start, pos_ - start);
      t->kind = Tok::Ident;
      for (const Keyword& k : kKeywords)
        if (t->text == k.word) t->kind = k.kind;
      return true;
    }
    if (c == '$' || (c == '0' && (Peek(1) == 'x' || Peek(1) == 'X'))) return ReadHex(t);
    if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) return ReadNumber(t);
    if (c == '"' || c == '\'') return ReadString(t);
    for (const Operator& op : kOperators) {
      size_t n = std::strlen(op.spelling);
      if (src_.compare(pos_, n, op.spelling) == 0) {
        t->kind = op.kind;
        t->text = op.spelling;
        for (size_t i = 0; i < n; ++i) Advance();
        return true;
      }
    }
    unsigned char u = static_cast<unsigned char>(c);
    std::string shown = (u >= 0x20 && u < 0x7F) ? std::string("'") + c + "'" : "byte " + std::to_string(u);
    diag_.Error(file_, line_, Column(), "unexpected character " + shown);
    Advance();
    return false;
  }

  bool ReadNumber(Token* t) {
    size_t start = pos_;
    while (IsDigit(Peek())) Advance();
    if (Peek() == '.' && IsDigit(Peek(1))) {
      Advance();
      while (IsDigit(Peek())) Advance();
    } else if (Peek() == '.' && !IsIdentStart(Peek(1))) {
      Advance();  // "1." is a number; "a.b" member access never starts with a digit
    }
    t->kind = Tok::Number;
    t->text = src_.substr(start, pos_ - start);
    t->number = std::strtod(t->text.c_str(), nullptr);
    return true;
  }

  bool ReadHex(Token* t) {
    int line = line_, column = Column();
    size_t start = pos_;
    if (Peek() == '$') {
      Advance();
    } else {
      Advance();
      Advance();
    }
    double value = 0;
    int digits = 0;
    while (IsHexDigit(Peek())) {
      value = value * 16 + HexValue(Peek());
      ++digits;
      Advance();
    }
    t->kind = Tok::Number;
    t->text = src_.substr(start, pos_ - start);
    t->number = value;
    if (digits == 0) {
      diag_.Error(file_, line, column, "expected hexadecimal digits after '" + t->text + "'");
      return false;
    }
    return true;
  }

  bool ReadString(Token* t) {
    int line = line_, column = Column();
    char quote = Peek();
    Advance();
    std::string value;
    while (pos_ < src_.size() && Peek() != quote) {
      char c = Peek();
      if (c == '\\') {
        Advance();
        if (pos_ >= src_.size()) break;
        char e = Peek();
        switch (e) {
          case 'n': value += '\n'; break;
          case 't': value += '\t'; break;
          case 'r': value += '\r'; break;
          case '0': value += '\0'; break;
          case '"': case '\'': case '\\': value += e; break;
          default:
            diag_.Error(file_, line_, Column() - 1, std::string("unknown escape '\\") + e +
                                                        "' (expected \\n, \\t, \\r, \\\", \\', \\\\ or \\0)");
            value += e;
        }
        Advance();
      } else {
        value += c;
        Advance();
      }
    }
    if (pos_ >= src_.size()) {
      diag_.Error(file_, line, column, std::string("unterminated string: expected the closing ") + quote);
      return false;
    }
    Advance();
    t->kind = Tok::String;
    t->text = value;
    return true;
  }

  const std::string& file_;
  const std::string& src_;
  Diagnostics& diag_;
  size_t pos_ = 0;
  size_t lineStart_ = 0;
  int line_ = 1;
};

}  // namespace

std::string Tok_Describe(Tok kind) {
  switch (kind) {
    case Tok::End: return "end of file";
    case Tok::Ident: return "identifier";
    case Tok::Number: return "number";
    case Tok::String: return "string";
    default: break;
  }
  for (const Operator& op : kOperators)
    if (op.kind == kind) return std::string("'") + op.spelling + "'";
  for (const Keyword& k : kKeywords)
    if (k.kind == kind) return std::string("'") + k.word + "'";
  return "token";
}

std::vector<Token> Lex(const std::string& file, const std::string& source, Diagnostics& diagnostics) {
  return Lexer(file, source, diagnostics).Run();
}

}  // namespace kslc

// SPDX-License-Identifier: Zlib
// The exported figure's text. Writing follows the editor's export fragment by
// fragment, odd blanks included, since users have pasted that text before.
// Reading is a tokenizer (names, unsigned decimal numbers, single punctuation
// characters; blanks and comments between them are skipped) and a parser that
// walks the same shape the export writes, one expected token at a time, so
// that a refusal can say exactly what was expected and on which line.
#include "library/FigureText.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "value/Conversions.h"
#include "value/TextBuffer.h"

namespace {

// Limits against hostile text. The editor holds at most 30 parts on its
// canvas and a handful of frames; these leave ample room above that while
// bounding the memory a pasted text can make the reader allocate.
constexpr size_t kMaxFrames = 1000;
constexpr size_t kMaxPartsPerFrame = 1000;
// Offsets, scales, angles and opacities are far smaller; below this a number
// with two decimals is held exactly enough by a double to be written again as
// it stood.
constexpr double kNumberLimit = 1000000000.0;
// Red + 256 green + 65536 blue, each 0..255.
constexpr uint64_t kMaxColour = 16777215;
// A whole value read from "3.00" is kept this far toward zero (away from zero
// for "0.00"), so that string() writes it with its two decimals again.
constexpr double kWholeNudge = 1e-6;

// ---------------------------------------------------------------- writing

void AppendNumber(std::string* out, TextBuffer* scratch, double value) {
  scratch->Clear();
  Number_ToText(scratch, value);
  out->append(scratch->Text(), scratch->Length());
}

// The two draw_sprite_ext lines of one part and the blank line after them.
// The blanks differ between an animating fill, its outline and a still part.
void AppendPart(std::string* out, TextBuffer* scratch, const FigurePart& part) {
  const char* frame = part.animating ? "subImage" : "0";
  for (int outline = 0; outline < 2; ++outline) {
    const char* beforeY = !part.animating ? ")), y + (yScale *("
                          : outline       ? ")), y + ( yScale * ("
                                          : ")), y +  (yScale * (";
    out->append("\t\t draw_sprite_ext(");
    out->append(outline ? part.outlineSprite : part.fillSprite);
    out->append(", ");
    out->append(frame);
    out->append(", x + (xScale * (");
    AppendNumber(out, scratch, part.xDif);
    out->append(beforeY);
    AppendNumber(out, scratch, part.yDif);
    out->append(")), xScale * ");
    AppendNumber(out, scratch, part.xScale);
    out->append(", yScale * ");
    AppendNumber(out, scratch, part.yScale);
    out->append(", rot + (");
    AppendNumber(out, scratch, part.rotation);
    out->append("), ");
    if (outline) {
      AppendNumber(out, scratch, part.colour);
    } else {
      out->append("c_white");
    }
    out->append(", alpha * ");
    AppendNumber(out, scratch, part.alpha);
    out->append(");\n");
  }
  out->append("\n");
}

// ---------------------------------------------------------------- tokens

enum class TokenKind {
  kEnd,             // no more text
  kName,            // a letter or "_", then letters, digits and "_"
  kNumber,          // digits, optionally "." and digits (no sign)
  kPunctuation,     // one of ( ) { } , ; : + * -
  kOther,           // any other single byte
  kUnclosedComment  // "/*" without its "*/"
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string_view text;
  int line = 1;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Token Next() {
    if (!SkipBlanksAndComments()) return Token{TokenKind::kUnclosedComment, {}, commentLine_};
    // The end is reported on the line of the last token, where a missing
    // "}" or "break;" belongs, not on an empty line after it.
    if (pos_ >= text_.size()) return Token{TokenKind::kEnd, {}, lastTokenLine_};
    size_t start = pos_;
    char c = text_[pos_++];
    TokenKind kind = TokenKind::kOther;
    if (IsNameStart(c)) {
      while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
      kind = TokenKind::kName;
    } else if (IsDigit(c)) {
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      if (pos_ + 1 < text_.size() && text_[pos_] == '.' && IsDigit(text_[pos_ + 1])) {
        pos_ += 2;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      }
      kind = TokenKind::kNumber;
    } else if (std::string_view("(){},;:+*-").find(c) != std::string_view::npos) {
      kind = TokenKind::kPunctuation;
    }
    lastTokenLine_ = line_;
    return Token{kind, text_.substr(start, pos_ - start), line_};
  }

 private:
  // False when a block comment is not closed before the end of the text.
  bool SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (IsBlank(c)) {
        if (c == '\n') ++line_;
        ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
        commentLine_ = line_;
        size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) {
          pos_ = text_.size();
          return false;
        }
        for (size_t i = pos_; i < end; ++i) line_ += text_[i] == '\n';
        pos_ = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  int lastTokenLine_ = 1;
  int commentLine_ = 1;
};

// ---------------------------------------------------------------- parsing

// One draw_sprite_ext call as read: the six numbers in the order written
// (x offset, y offset, x scale, y scale, rotation, alpha) with their text,
// for the outline's comparison with its fill.
struct DrawCall {
  std::string sprite;
  bool animating = false;
  double numbers[6] = {};
  std::string numberText[6];
  uint32_t colour = 0;
  int line = 0;
};

class Reader {
 public:
  explicit Reader(std::string_view text) : lexer_(text) { Advance(); }

  bool ReadFigure(Figure* figure) {
    for (std::string_view word : {"switch", "floor", "(", "frame", ")", "{"}) {
      if (!Accept(word)) return Fail("expected \"switch floor(frame) {\"");
    }
    while (!Accept("}")) {
      size_t index = figure->frames.size();
      std::string caseText = "\"case " + std::to_string(index) + ":\"";
      if (!Is("case")) return Fail("expected " + caseText + " or the closing \"}\"");
      if (index == kMaxFrames)
        return Fail("expected the closing \"}\" after at most " + std::to_string(kMaxFrames) + " frames");
      Advance();
      if (token_.kind != TokenKind::kNumber || token_.text != std::to_string(index)) {
        return Fail("expected " + caseText);
      }
      Advance();
      if (!Accept(":")) return Fail("expected " + caseText);
      FigureFrame& frame = figure->frames.emplace_back();
      while (!Is("break")) {
        if (frame.parts.size() == kMaxPartsPerFrame)
          return Fail("expected \"break;\" after at most " + std::to_string(kMaxPartsPerFrame) + " parts");
        if (!ReadPart(&frame.parts.emplace_back())) return false;
      }
      Advance();
      if (!Accept(";")) return Fail("expected \"break;\"");
    }
    if (token_.kind != TokenKind::kEnd) return Fail("expected the end of the text after the closing \"}\"");
    return true;
  }

  const FigureTextError& Error() const { return error_; }

 private:
  void Advance() { token_ = lexer_.Next(); }

  bool Is(std::string_view text) const { return token_.kind != TokenKind::kEnd && token_.text == text; }

  bool Accept(std::string_view text) {
    if (!Is(text)) return false;
    Advance();
    return true;
  }

  bool Expect(std::string_view text) { return Accept(text) || Fail("expected \"" + std::string(text) + "\""); }

  bool ExpectAll(std::initializer_list<std::string_view> texts) {
    for (std::string_view text : texts) {
      if (!Expect(text)) return false;
    }
    return true;
  }

  // Stops reading at the current token. An unclosed comment is what stopped
  // the reading there, whatever was expected.
  bool Fail(std::string message) {
    error_.line = token_.line;
    error_.message = token_.kind == TokenKind::kUnclosedComment ? "expected \"*/\" to close the comment begun here"
                                                                : std::move(message);
    return false;
  }

  // An optional "-" and an unsigned decimal number below kNumberLimit.
  bool ReadNumber(double* value, std::string* text) {
    bool negative = Accept("-");
    if (token_.kind != TokenKind::kNumber) return Fail("expected a number");
    std::string_view digits = token_.text;
    size_t point = digits.find('.');
    std::string_view whole = digits.substr(0, point);
    size_t firstNonZero = whole.find_first_not_of('0');
    size_t wholeDigits = firstNonZero == std::string_view::npos ? 0 : whole.size() - firstNonZero;
    const char* tooLarge = "expected a number below 1000000000";
    if (wholeDigits > 10) return Fail(tooLarge);
    double magnitude = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    // Ten whole digits cannot overflow; out of range here means a fraction
    // too small for a double, which is zero.
    if (ec == std::errc::result_out_of_range) {
      magnitude = 0;
    } else if (ec != std::errc() || end != digits.data() + digits.size()) {
      return Fail("expected a number");
    }
    // Also refused: a value that string() would round up to the limit
    // ("999999999.999" is written "1000000000.00"), so that what is read
    // can always be read again once written.
    if (magnitude >= kNumberLimit ||
        (magnitude > kNumberLimit - 1 && FigureText_Number(magnitude).compare(0, 10, "1000000000") == 0)) {
      return Fail(tooLarge);
    }
    if (point != std::string_view::npos && digits.size() - point == 3 && digits.substr(point + 1) == "00") {
      magnitude = magnitude == 0 ? kWholeNudge : magnitude - kWholeNudge;
    }
    *value = negative ? -magnitude : magnitude;
    *text = (negative ? "-" : "") + std::string(digits);
    Advance();
    return true;
  }

  // One number of an outline call, which must be the same as its fill's.
  bool ReadOutlineNumber(const DrawCall& fill, int index, DrawCall* call) {
    Token at = token_;
    if (!ReadNumber(&call->numbers[index], &call->numberText[index])) return false;
    if (call->numbers[index] == fill.numbers[index]) return true;
    token_ = at;
    return Fail("expected " + fill.numberText[index] + ", as in the fill call on line " + std::to_string(fill.line));
  }

  bool ReadCallNumber(const DrawCall* fill, int index, DrawCall* call) {
    return fill ? ReadOutlineNumber(*fill, index, call) : ReadNumber(&call->numbers[index], &call->numberText[index]);
  }

  bool ReadColour(uint32_t* colour) {
    const char* expected = "expected a whole colour from 0 to 16777215";
    if (token_.kind != TokenKind::kNumber || token_.text.find('.') != std::string_view::npos) return Fail(expected);
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(token_.text.data(), token_.text.data() + token_.text.size(), value);
    if (ec != std::errc() || end != token_.text.data() + token_.text.size() || value > kMaxColour) {
      return Fail(expected);
    }
    *colour = static_cast<uint32_t>(value);
    Advance();
    return true;
  }

  // draw_sprite_ext(NAME, S, x + (xScale * (N)), y + (yScale * (N)),
  //                 xScale * N, yScale * N, rot + (N), C, alpha * N);
  // A fill when `fill` is null (colour c_white, sprite "..._back"), else the
  // outline of that fill: same frame, same numbers, its "..._outline" sprite
  // and a whole colour.
  bool ReadCall(const DrawCall* fill, DrawCall* call) {
    call->line = token_.line;
    if (!Is("draw_sprite_ext")) {
      return Fail(fill ? "expected the outline call of the part begun on line " + std::to_string(fill->line)
                       : "expected a draw_sprite_ext call or \"break;\"");
    }
    Advance();
    if (!Expect("(")) return false;
    if (token_.kind != TokenKind::kName) return Fail("expected a sprite name");
    call->sprite = token_.text;
    if (!fill) {
      std::string_view name = token_.text;
      if (name.size() < 5 || name.substr(name.size() - 5) != "_back") {
        return Fail("expected a fill sprite whose name ends in \"_back\"");
      }
    } else {
      std::string outline = fill->sprite.substr(0, fill->sprite.size() - 5) + "_outline";
      if (call->sprite != outline) return Fail("expected " + outline + " as the outline's sprite");
    }
    Advance();
    if (!Expect(",")) return false;
    if (Is("subImage")) {
      call->animating = true;
    } else if (!Is("0")) {
      return Fail("expected subImage or 0 as the sprite's frame");
    }
    if (fill && call->animating != fill->animating) {
      return Fail(fill->animating ? "expected subImage, as in the fill call" : "expected 0, as in the fill call");
    }
    Advance();
    if (!ExpectAll({",", "x", "+", "(", "xScale", "*", "("}) || !ReadCallNumber(fill, 0, call)) return false;
    if (!ExpectAll({")", ")", ",", "y", "+", "(", "yScale", "*", "("}) || !ReadCallNumber(fill, 1, call)) return false;
    if (!ExpectAll({")", ")", ",", "xScale", "*"}) || !ReadCallNumber(fill, 2, call)) return false;
    if (!ExpectAll({",", "yScale", "*"}) || !ReadCallNumber(fill, 3, call)) return false;
    if (!ExpectAll({",", "rot", "+", "("}) || !ReadCallNumber(fill, 4, call)) return false;
    if (!ExpectAll({")", ","})) return false;
    if (!fill) {
      if (!Accept("c_white")) return Fail("expected c_white as the fill's colour");
    } else if (!ReadColour(&call->colour)) {
      return false;
    }
    if (!ExpectAll({",", "alpha", "*"}) || !ReadCallNumber(fill, 5, call)) return false;
    return ExpectAll({")", ";"});
  }

  bool ReadPart(FigurePart* part) {
    DrawCall fill, outline;
    if (!ReadCall(nullptr, &fill) || !ReadCall(&fill, &outline)) return false;
    part->fillSprite = std::move(fill.sprite);
    part->outlineSprite = std::move(outline.sprite);
    part->animating = fill.animating;
    part->xDif = fill.numbers[0];
    part->yDif = fill.numbers[1];
    part->xScale = fill.numbers[2];
    part->yScale = fill.numbers[3];
    part->rotation = fill.numbers[4];
    part->alpha = fill.numbers[5];
    part->colour = outline.colour;
    part->line = fill.line;
    return true;
  }

  Lexer lexer_;
  Token token_;
  FigureTextError error_;
};

}  // namespace

bool FigureText_Read(std::string_view text, Figure* out, FigureTextError* error) {
  out->frames.clear();
  Reader reader(text);
  if (reader.ReadFigure(out)) return true;
  out->frames.clear();
  out->frames.shrink_to_fit();
  *error = reader.Error();
  return false;
}

std::string FigureText_Write(const Figure& figure) {
  std::string out = "switch floor(frame) { \n";
  TextBuffer scratch;
  for (size_t i = 0; i < figure.frames.size(); ++i) {
    out.append("\tcase ");
    AppendNumber(&out, &scratch, static_cast<double>(i));
    out.append(":\n");
    for (const FigurePart& part : figure.frames[i].parts) AppendPart(&out, &scratch, part);
    out.append("\tbreak;\n");
  }
  out.append("}\n");
  return out;
}

std::string FigureText_Number(double value) {
  TextBuffer text;
  Number_ToText(&text, value);
  return std::string(text.Text(), text.Length());
}

// SPDX-License-Identifier: Zlib
// The exported figure's text: the sample figures' Draw events read and are
// written back byte for byte; blanks, line breaks and comments are tolerated;
// every other deviation is refused with its line and what was expected; and
// whole numbers written with two decimals keep them.
#include <cinttypes>
#include <cmath>

#include "LibraryTestSupport.h"
#include "library/FigureText.h"

namespace {

// Two frames: an animating part and a still one, then no parts.
const std::string kPlain =
    "switch floor(frame) { \n"
    "\tcase 0:\n"
    "\t\t draw_sprite_ext(spr_shape_6_back, subImage, x + (xScale * (8)), y +  (yScale * (-42)), xScale * 0.90, "
    "yScale * 0.70, rot + (70), c_white, alpha * 0.60);\n"
    "\t\t draw_sprite_ext(spr_shape_6_outline, subImage, x + (xScale * (8)), y + ( yScale * (-42)), xScale * 0.90, "
    "yScale * 0.70, rot + (70), 16777215, alpha * 0.60);\n"
    "\n"
    "\t\t draw_sprite_ext(spr_shape_10_back, 0, x + (xScale * (-28)), y + (yScale *(34)), xScale * 1.00, "
    "yScale * 0.20, rot + (250), c_white, alpha * 1);\n"
    "\t\t draw_sprite_ext(spr_shape_10_outline, 0, x + (xScale * (-28)), y + (yScale *(34)), xScale * 1.00, "
    "yScale * 0.20, rot + (250), 1533439, alpha * 1);\n"
    "\n"
    "\tbreak;\n"
    "\tcase 1:\n"
    "\tbreak;\n"
    "}\n";

std::string Replace(std::string text, const std::string& from, const std::string& to, bool all = false) {
  for (size_t at = text.find(from); at != std::string::npos; at = all ? text.find(from, at + to.size()) : at) {
    text.replace(at, from.size(), to);
    if (!all) break;
  }
  return text;
}

// Drops every blank that does not separate two words or numbers.
std::string Squeeze(const std::string& text) {
  auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; };
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!std::isspace(static_cast<unsigned char>(text[i]))) {
      out += text[i];
    } else if (!out.empty() && word(out.back()) && i + 1 < text.size() && word(text[i + 1])) {
      out += ' ';
    }
  }
  return out;
}

// Every field, numbers exact (hexadecimal), the lines only when asked for.
std::string Describe(const Figure& figure, bool lines) {
  std::string out;
  char buffer[256];
  for (const FigureFrame& frame : figure.frames) {
    out += "case:";
    for (const FigurePart& p : frame.parts) {
      snprintf(buffer, sizeof buffer, " %s/%s %d %a %a %a %a %a %a %" PRIu32 " @%d;", p.fillSprite.c_str(),
               p.outlineSprite.c_str(), p.animating, p.xDif, p.yDif, p.xScale, p.yScale, p.rotation, p.alpha, p.colour,
               lines ? p.line : 0);
      out += buffer;
    }
  }
  return out;
}

Figure ReadOrFail(const std::string& text) {
  Figure figure;
  FigureTextError error;
  EXPECT_TRUE(FigureText_Read(text, &figure, &error)) << "line " << error.line << ": " << error.message;
  return figure;
}

TEST(FigureTextTest, SampleFiguresComeBackByteForByte) {
  const struct {
    const char* object;
    size_t frames, partsPerFrame;
  } kSamples[] = {{"obj_test_export_1_1_1", 3, 18},
                  {"obj_Honey", 3, 18},
                  {"obj_Buzzer", 3, 16},
                  {"obj_SeaDaddy", 1, 30},
                  {"obj_test_export_1_1_1_1", 5, 20}};
  for (const auto& sample : kSamples) {
    SCOPED_TRACE(sample.object);
    bool exists = false;
    std::string text = ReadWholeFile(std::string(MOB_EDITOR_DIR) + "/objects/" + sample.object + "/Draw.ksl", &exists);
    ASSERT_TRUE(exists);
    Figure figure = ReadOrFail(text);
    ASSERT_EQ(figure.frames.size(), sample.frames);
    for (const FigureFrame& frame : figure.frames) EXPECT_EQ(frame.parts.size(), sample.partsPerFrame);
    EXPECT_EQ(FigureText_Write(figure), text);
  }
}

TEST(FigureTextTest, PlainTextReadsToItsParts) {
  // "1.00" is kept just below 1 so that it is written "1.00" again.
  Figure expected{{{{{"spr_shape_6_back", "spr_shape_6_outline", true, 8, -42, 0.9, 0.7, 70, 0.6, 16777215, 3},
                     {"spr_shape_10_back", "spr_shape_10_outline", false, -28, 34, 1 - 1e-6, 0.2, 250, 1, 1533439, 6}}},
                   {}}};
  Figure figure = ReadOrFail(kPlain);
  EXPECT_EQ(Describe(figure, true), Describe(expected, true));
  EXPECT_EQ(FigureText_Write(figure), kPlain);
}

TEST(FigureTextTest, BlanksLineBreaksAndCommentsAreTolerated) {
  const std::string kVariations[] = {
      Replace(kPlain, " ", " \t\t", true),              // tabs
      Replace(kPlain, " ", "\n", true),                 // a line break for every blank
      Replace(kPlain, "\n", "\r\n", true),              // CRLF
      Replace(kPlain, " ", "/* a } case 9: */", true),  // block comments instead of blanks
      Replace(kPlain, "\n", " // break; }\n", true),    // line comments
      Replace(kPlain, ";", "/*\n\n*/;//\n", true),      // comments across lines
      Replace(kPlain, "(-", "( - ", true),              // a sign apart from its number
      Squeeze(kPlain),                                  // no blanks at all
      kPlain + "/* last */\n// words",                  // comments after the end
      kPlain.substr(0, kPlain.size() - 1),              // no line end after the brace
  };
  for (const std::string& text : kVariations) {
    EXPECT_EQ(Describe(ReadOrFail(text), false), Describe(ReadOrFail(kPlain), false)) << text;
  }
}

TEST(FigureTextTest, RefusalsGiveTheLineAndWhatWasExpected) {
  const size_t at = kPlain.find("\t\t draw_sprite_ext(spr_shape_10_outline");
  const std::string secondOutline = kPlain.substr(at, kPlain.find('\n', at) + 1 - at);
  const struct {
    std::string text;
    int line;
    const char* expected;
  } kRefusals[] = {
      {"", 1, "expected \"switch floor(frame) {\""},
      {Replace(kPlain, "floor(frame)", "floor(frames)"), 1, "expected \"switch floor(frame) {\""},
      {Replace(kPlain, "draw_sprite_ext(spr_shape_10_back", "draw_sprite(spr_shape_10_back"), 6,
       "expected a draw_sprite_ext call or \"break;\""},
      {Replace(kPlain, "(70), c_white", "(70) @ c_white"), 3, "expected \",\""},
      {Replace(kPlain, secondOutline, ""), 8, "expected the outline call of the part begun on line 6"},
      {Replace(kPlain, "( yScale * (-42)), xScale * 0.90", "( yScale * (-42)), xScale * 0.80"), 4,
       "expected 0.90, as in the fill call on line 3"},
      {Replace(kPlain, "spr_shape_6_outline", "spr_shape_7_outline"), 4, "expected spr_shape_6_outline as"},
      {Replace(kPlain, "spr_shape_6_outline, subImage", "spr_shape_6_outline, 0"), 4, "expected subImage, as"},
      {Replace(kPlain, "spr_shape_10_back", "spr_shape_10_front"), 6, "name ends in \"_back\""},
      {Replace(kPlain, "(250), c_white", "(250), 255"), 6, "expected c_white as the fill's colour"},
      {Replace(kPlain, "(70), 16777215", "(70), c_white"), 4, "expected a whole colour from 0 to 16777215"},
      {Replace(kPlain, "16777215", "16777216"), 4, "expected a whole colour from 0 to 16777215"},
      {Replace(kPlain, "1533439", "1533439.00"), 7, "expected a whole colour"},
      {Replace(kPlain, "case 1:", "case 2:"), 10, "expected \"case 1:\""},
      {Replace(kPlain, "\tbreak;\n", ""), 9, "expected a draw_sprite_ext call or \"break;\""},
      {Replace(kPlain, "break;\n\tcase", "break\n\tcase"), 10, "expected \"break;\""},
      {Replace(kPlain, "}\n", ""), 11, "expected \"case 2:\" or the closing \"}\""},
      {kPlain + "\n;", 14, "expected the end of the text after the closing \"}\""},
      {Replace(kPlain, "(xScale * (8))", "(xScale * (-1000000000))"), 3, "expected a number below 1000000000"},
      {Replace(kPlain, "(xScale * (8))", "(xScale * (999999999.999))"), 3, "below 1000000000"},  // "1000000000.00"
      {Replace(kPlain, "(-28)", "(" + std::string(400, '9') + ")"), 6, "below 1000000000"},
      {Replace(kPlain, "(70), c_white", "(7e1), c_white"), 3, "expected \")\""},
      {Replace(kPlain, "case 1:", "case 1: /* no end\n"), 10, "expected \"*/\""},
  };
  for (const auto& refusal : kRefusals) {
    SCOPED_TRACE(refusal.text);
    Figure figure = ReadOrFail(kPlain);
    FigureTextError error;
    EXPECT_FALSE(FigureText_Read(refusal.text, &figure, &error));
    EXPECT_TRUE(figure.frames.empty());
    EXPECT_EQ(error.line, refusal.line);
    EXPECT_NE(error.message.find(refusal.expected), std::string::npos) << error.message;
  }
}

TEST(FigureTextTest, FramesAndPartsAreLimitedToAThousand) {
  const std::string twoParts = kPlain.substr(kPlain.find("\t\t"), kPlain.find("\tbreak;") - kPlain.find("\t\t"));
  auto text = [&](int frames, int copies) {
    std::string out = "switch floor(frame) {\n";
    for (int f = 0; f < frames; ++f) {
      out += "case " + std::to_string(f) + ":\n";
      for (int p = 0; p < copies; ++p) out += twoParts;
      out += "break;\n";
    }
    return out + "}\n";
  };
  Figure figure;
  FigureTextError error;
  EXPECT_TRUE(FigureText_Read(text(1000, 0), &figure, &error));
  EXPECT_TRUE(FigureText_Read(text(1, 500), &figure, &error));
  EXPECT_FALSE(FigureText_Read(text(1001, 0), &figure, &error));
  EXPECT_EQ(error.line, 2 + 2 * 1000);  // the 1001st case
  EXPECT_NE(error.message.find("1000 frames"), std::string::npos);
  EXPECT_FALSE(FigureText_Read(text(1, 501), &figure, &error));
  EXPECT_EQ(error.line, 3 + 3 * 1000);  // the 1001st part's fill call
  EXPECT_NE(error.message.find("1000 parts"), std::string::npos);
}

TEST(FigureTextTest, WholeNumbersWithTwoDecimalsAreWrittenAsTheyStood) {
  const struct {
    const char* written;
    double value;  // as read
  } kNumbers[] = {{"1.00", 1 - 1e-6},
                  {"12.00", 12 - 1e-6},
                  {"-3.00", -3 + 1e-6},
                  {"0.00", 1e-6},
                  {"-0.00", -1e-6},
                  {"0.50", 0.5},
                  {"-0.05", -0.05},
                  {"7", 7},
                  {"999999999.00", 999999999 - 1e-6}};
  for (const auto& number : kNumbers) {
    std::string text = Replace(kPlain, "xScale * 0.90", std::string("xScale * ") + number.written, true);
    Figure figure = ReadOrFail(text);
    ASSERT_EQ(figure.frames.size(), 2u);
    EXPECT_EQ(figure.frames[0].parts[0].xScale, number.value) << number.written;
    EXPECT_EQ(FigureText_Write(figure), text);
  }
}

TEST(FigureTextTest, NumbersAreWrittenAsStringWritesThem) {
  Library_EnsureRegistered();
  for (double value : {3.0, -3.0, 2.5, -0.5, 1.0 / 3, -0.0, 1e-7, -1e-7, 0.125, 999999998.999999, 1e300}) {
    EXPECT_EQ(FigureText_Number(value), Call("string", {value}).Text()) << value;
  }
}

}  // namespace

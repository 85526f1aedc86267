// Compile errors: each names the file, the line and the column and says what
// was expected; the compiler reports several errors in one run and produces
// no output for a program with errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Compiler.h"
#include "Manifest.h"

namespace {

// A game with one script "s" (scripts/s.ksl) and one object "o" with a Create
// event (objects/o/Create.ksl).
const mob::Manifest& TinyGame() {
  static mob::Manifest m;
  static bool parsed = false;
  if (!parsed) {
    std::string error;
    bool ok = mob::Manifest_Parse(
        R"({"general": {"name": "tiny"}, "scripts": [{"name": "s"}],
            "sprites": [{"name": "spr_a", "width": 1, "height": 1}],
            "objects": [{"name": "o", "events": ["Create"]}]})",
        "tiny/game.json", &m, &error);
    EXPECT_TRUE(ok) << error;
    parsed = true;
  }
  return m;
}

struct Result {
  bool ok;
  std::vector<kslc::Diagnostic> errors;
  std::vector<kslc::GeneratedFile> files;
};

Result CompileScript(const std::string& script, const std::string& event = "") {
  Result r;
  kslc::Diagnostics d;
  r.ok = kslc::CompileSources(TinyGame(), {script, event}, {}, &r.files, d);
  r.errors = d.All();
  return r;
}

::testing::AssertionResult HasError(const Result& r, const std::string& file, int line, int column,
                                    const std::string& part) {
  for (const auto& e : r.errors)
    if (e.file == file && e.line == line && e.column == column && e.message.find(part) != std::string::npos)
      return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << "no error " << file << ":" << line << ":" << column << " containing \""
                                               << part << "\"; got:";
  for (const auto& e : r.errors) failure << "\n  " << e.file << ":" << e.line << ":" << e.column << ": " << e.message;
  return failure;
}

}  // namespace

TEST(KslcErrors, ValidProgramCompiles) {
  Result r = CompileScript("var a = 1\nreturn a + argument0\n", "x = s(2)\n");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.errors.empty());
  EXPECT_FALSE(r.files.empty());
}

TEST(KslcErrors, MissingExpressionNamesWhatWasExpected) {
  Result r = CompileScript("a = 1\nb = ;\n");
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 5, "expected an expression after '=', found ';'"));
  EXPECT_TRUE(r.files.empty());
}

TEST(KslcErrors, UnclosedParenthesisPointsAtTheNextToken) {
  Result r = CompileScript("if (a > 1 {\n  b = 2\n}\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 11, "expected ')' to close '(' opened at line 1 column 4, found '{'"));
}

TEST(KslcErrors, UnclosedCallArguments) {
  Result r = CompileScript("foo(1, 2\nx = 3\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 1, "expected ')' to close the arguments of foo()"));
}

TEST(KslcErrors, UnterminatedStringAndComment) {
  Result r = CompileScript("a = \"never closed\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 5, "unterminated string"));
  r = CompileScript("a = 1\n/* never closed\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 1, "unterminated comment: expected '*/'"));
}

TEST(KslcErrors, BadCharactersAndEscapes) {
  Result r = CompileScript("a = 1 @ 2\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 7, "unexpected character '@'"));
  r = CompileScript("a = \"x\\qy\"\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 7, "unknown escape '\\q'"));
  r = CompileScript("a = $\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 5, "expected hexadecimal digits"));
}

TEST(KslcErrors, StatementThatIsNeitherAssignmentNorCall) {
  Result r = CompileScript("a + 1\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 3, "expected an assignment, '++', '--' or a call after 'a', found '+'"));
  r = CompileScript("5 = a\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 1, "expected a statement, found number 5"));
}

TEST(KslcErrors, SeveralErrorsAreReportedInOneRun) {
  Result r = CompileScript("a = (1 + \nb = 2\nc = 3 +\nd = )\n");
  EXPECT_GE(r.errors.size(), 2u);
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 4, 5, "expected an expression"));
}

TEST(KslcErrors, AssignmentsToConstantsArgumentsAndResources) {
  Result r = CompileScript("argument0 = 1\nc_white = 2\nspr_a = 3\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 1, "cannot assign to 'argument0'"));
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 1, "cannot assign to the constant 'c_white'"));
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 3, 1, "cannot assign to the resource name 'spr_a'"));
}

TEST(KslcErrors, ArgumentsOnlyInScripts) {
  Result r = CompileScript("", "x = argument0\n");
  EXPECT_TRUE(HasError(r, "objects/o/Create.ksl", 1, 5, "'argument0' can only be used in a script"));
}

TEST(KslcErrors, BreakContinueAndCaseOutOfPlace) {
  Result r = CompileScript("break\nrepeat (2) { continue }\ncontinue\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 1, "'break' outside a loop, switch or with"));
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 3, 1, "'continue' outside a loop or with"));
  EXPECT_EQ(r.errors.size(), 2u);
  r = CompileScript("case 1: a = 1\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 1, "'case' outside a switch"));
  r = CompileScript("switch (a) {\n  b = 1\n  case 1: c = 2\n}\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 3, "expected 'case' or 'default' before this statement"));
  r = CompileScript("switch (a) { default: b = 1 default: c = 2 }\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 29, "a second 'default'"));
}

TEST(KslcErrors, MissingPartsOfStatements) {
  Result r = CompileScript("for (i = 0; i < 3 i += 1) {}\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 19, "expected ';' after the condition of 'for'"));
  r = CompileScript("do { a = 1 }\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 1, "expected 'until' after the body of 'do'"));
  r = CompileScript("var 3\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 5, "expected a variable name after 'var'"));
  r = CompileScript("if (a) }\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 8, "expected a statement after 'if'"));
  r = CompileScript("a.(b) = 1\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 3, "expected a variable name after '.', found '('"));
  r = CompileScript("{ a = 1\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 1, "expected '}' to close the block opened at line 1"));
}

TEST(KslcErrors, DeepNestingIsRefusedNotACrash) {
  std::string deep = "a = " + std::string(5000, '(') + "1" + std::string(5000, ')') + "\n";
  Result r = CompileScript(deep);
  EXPECT_FALSE(r.ok);
  ASSERT_FALSE(r.errors.empty());
  EXPECT_NE(r.errors[0].message.find("nested too deeply"), std::string::npos) << r.errors[0].message;
  std::string blocks = std::string(3000, '{') + std::string(3000, '}');
  r = CompileScript(blocks);
  EXPECT_FALSE(r.ok);
}

TEST(KslcErrors, FormattedMessageShowsTheLineAndACaret) {
  std::string source = "a = 1\nb = (2 +\n";
  kslc::Diagnostic d{"scripts/s.ksl", 2, 9, "expected an expression"};
  EXPECT_EQ(kslc::Diagnostics::Format(d, &source),
            "scripts/s.ksl:2:9: error: expected an expression\n  b = (2 +\n          ^\n");
}

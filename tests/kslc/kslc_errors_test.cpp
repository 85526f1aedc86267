// SPDX-License-Identifier: Zlib
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

TEST(KslcErrors, AssignmentsToConstantsArgumentCountAndResources) {
  // argument0 may be assigned in a script (line 4): three errors, not four.
  Result r = CompileScript("argument_count = 1\nc_white = 2\nspr_a = 3\nargument0 = 1\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 1, "cannot assign to 'argument_count'"));
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 1, "cannot assign to the constant 'c_white'"));
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 3, 1, "cannot assign to the resource name 'spr_a'"));
  EXPECT_EQ(r.errors.size(), 3u);
  r = CompileScript("", "argument1 = 2\n");
  EXPECT_TRUE(HasError(r, "objects/o/Create.ksl", 1, 1, "'argument1' can only be used in a script"));
  r = CompileScript("argument0[1] = 2\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 1, "'argument0' cannot be indexed"));
}

TEST(KslcErrors, UnknownFunctionsAreRefusedWithTheirPosition) {
  Result r = CompileScript("a = 1\nb = fnord(a) + 2\n");
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 5, "unknown function 'fnord'"));
  // A resource name is not a function either.
  r = CompileScript("if (a) {\n  spr_a(1)\n}\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 3, "unknown function 'spr_a'"));
  r = CompileScript("", "x = instance_create(0, 0, o)\n");
  EXPECT_TRUE(HasError(r, "objects/o/Create.ksl", 1, 5, "unknown function 'instance_create'"));
}

TEST(KslcErrors, BuiltinsMustGetTheirNumberOfArguments) {
  Result r = CompileScript("x = point_direction(1, 2, 3)\nabs()\ny = draw_sprite(spr_a, 0, 1, 2, 3)\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 5, "'point_direction' takes 4 arguments, not 3"));
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 2, 1, "'abs' takes 1 argument, not 0"));
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 3, 5, "'draw_sprite' takes 4 arguments, not 5"));
  // Built-ins that take any number, and scripts, accept any count.
  r = CompileScript("choose()\nx = choose(1, 2, 3, 4, 5, 6)\ninstance_destroy()\ninstance_destroy(o, false)\nx = s(1, 2, 3)\n");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.errors.empty());
}

TEST(KslcErrors, HostFunctionsOfTheManifestAreKnownWithTheirCounts) {
  mob::Manifest m;
  std::string error;
  ASSERT_TRUE(mob::Manifest_Parse(R"({"general": {"name": "h"}, "scripts": [{"name": "s"}],
                                      "host_functions": [{"name": "probe", "arguments": 1}, {"name": "any"}]})",
                                  "h/game.json", &m, &error))
      << error;
  kslc::Diagnostics d;
  std::vector<kslc::GeneratedFile> files;
  EXPECT_TRUE(kslc::CompileSources(m, {"probe(1)\nany()\nany(1, 2, 3)\n"}, {}, &files, d));
  EXPECT_FALSE(d.HasErrors());
  kslc::Diagnostics d2;
  EXPECT_FALSE(kslc::CompileSources(m, {"probe()\n"}, {}, &files, d2));
  ASSERT_EQ(d2.Count(), 1);
  EXPECT_EQ(d2.All()[0].message, "'probe' takes 1 argument, not 0");
  // A host function's name shares the one name space with scripts.
  EXPECT_FALSE(mob::Manifest_Parse(R"({"general": {"name": "h"}, "scripts": [{"name": "s"}],
                                       "host_functions": [{"name": "s"}]})",
                                   "h/game.json", &m, &error));
  EXPECT_NE(error.find("used twice"), std::string::npos) << error;
  EXPECT_FALSE(mob::Manifest_Parse(R"({"general": {"name": "h"}, "host_functions": [{"name": "f", "arguments": -2}]})",
                                   "h/game.json", &m, &error));
  EXPECT_NE(error.find("host_functions[0]"), std::string::npos) << error;
}

TEST(KslcErrors, IncrementAndDecrementNeedAVariable) {
  Result r = CompileScript("a = abs(1)++\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 11, "expected a variable to assign to, found abs(...)"));
  r = CompileScript("a = ++5\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 5, "expected a variable to assign to"));
  r = CompileScript("a = --c_white\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 7, "cannot assign to the constant 'c_white'"));
  r = CompileScript("a = argument_count++\n");
  EXPECT_TRUE(HasError(r, "scripts/s.ksl", 1, 5, "cannot assign to 'argument_count'"));
  r = CompileScript("a = b++ + ++c - d--\n");
  EXPECT_TRUE(r.ok);
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

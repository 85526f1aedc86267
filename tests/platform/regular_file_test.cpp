// SPDX-License-Identifier: Zlib
// Reading outside files: only a regular file within its limit is read, at
// once (a named pipe with no writer must not block), and never past the size
// it had when it was opened.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "WithinDeadline.h"
#include "platform/RegularFile.h"

namespace {

constexpr uint64_t kLimit = 1000;

// What reading the path gives: "read <size>" or "refused: <reason>".
std::string ReadOutcome(const std::string& path) {
  std::vector<uint8_t> bytes;
  FileProblem problem;
  bool read = Platform_ReadRegularFile(path, kLimit, &bytes, &problem);
  return read ? "read " + std::to_string(bytes.size()) : "refused: " + FileProblem_Text(problem);
}

TEST(RegularFileTest, OnlyARegularFileWithinTheLimitIsReadAndNothingBlocks) {
  TempFolder root;
  const struct {
    NotAFile kind;
    const char* outcome;
  } cases[] = {
      {NotAFile::kNamedPipe, "refused: not a regular file"},
      {NotAFile::kDevice, "refused: not a regular file"},
      {NotAFile::kFolder, "refused: not a regular file"},
      {NotAFile::kOversized, "refused: larger than 1000 bytes"},
  };
  for (const auto& c : cases) {
    const std::string path = root.Path() + NotAFile_Name(c.kind);
    ASSERT_TRUE(NotAFile_Make(c.kind, path, kLimit)) << path;
    std::optional<std::string> outcome = RunWithinDeadline([&] { return ReadOutcome(path); });
    ASSERT_TRUE(outcome.has_value()) << NotAFile_Name(c.kind) << ": the read blocked or crashed";
    EXPECT_EQ(*outcome, c.outcome) << NotAFile_Name(c.kind);
  }
  std::ofstream(root.Path() + "full", std::ios::binary) << std::string(kLimit, 'x');
  EXPECT_EQ(ReadOutcome(root.Path() + "full"), "read 1000");
  std::ofstream(root.Path() + "empty", std::ios::binary).flush();
  EXPECT_EQ(ReadOutcome(root.Path() + "empty"), "read 0");
  EXPECT_EQ(ReadOutcome(root.Path() + "missing"), "refused: no such file");
  EXPECT_EQ(ReadOutcome(root.Path() + "full/below"), "refused: no such file");
}

// A file that grows after it was checked is read as it was then: the limit
// holds for a file that someone keeps writing.
TEST(RegularFileTest, AFileThatGrowsIsReadOnlyToItsSizeWhenOpened) {
  TempFolder root;
  const std::string path = root.Path() + "growing";
  std::ofstream(path, std::ios::binary) << "first";
  RegularFile file;
  ASSERT_TRUE(file.Open(path, kLimit, nullptr));
  std::ofstream(path, std::ios::binary | std::ios::app) << std::string(2 * kLimit, 'y');
  std::string text;
  ASSERT_TRUE(file.ReadAll(&text, nullptr));
  EXPECT_EQ(text, "first");
}

}  // namespace

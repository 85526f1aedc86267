// SPDX-License-Identifier: Zlib
// The debug information next to the game: "<game>.zudebug", the text of the
// source lines that compiled functions start statements on, quoted by error
// reports.
#include <sstream>

#include "code/ErrorContext.h"
#include "platform/RegularFile.h"
#include "run/RunnerInternal.h"

namespace {

const char* SourceLine(const char* function, int line) {
  auto& lines = Private().sourceLines;
  auto it = lines.find(std::string(function ? function : "") + "\t" + std::to_string(line));
  return it == lines.end() ? nullptr : it->second.c_str();
}

}  // namespace

void LoadDebugInformation(const std::string& path) {
  std::string text;
  FileProblem problem;
  if (!Platform_ReadRegularFile(path, kDebugInformationMaxBytes, &text, &problem)) {
    if (problem.refusal != FileRefusal::kMissing)
      DebugConsole().Output("%s: %s; error reports quote no source lines\n", path.c_str(),
                            FileProblem_Text(problem).c_str());
    return;
  }
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    size_t first = line.find('\t');
    size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    Private().sourceLines[line.substr(0, second)] = line.substr(second + 1);
  }
  Error_SetSourceLineProvider(SourceLine);
}

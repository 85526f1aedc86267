// SPDX-License-Identifier: Zlib
// Text of generated C++: string and number literals, comments, source lines.
#include "CodeGenInternal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kslc::gen {

std::string CxxString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\%03o", c);  // octal: never swallows a following digit beyond 3
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string CxxNumber(double d) {
  if (std::isinf(d)) return d > 0 ? "HUGE_VAL" : "-HUGE_VAL";
  if (std::isnan(d)) return "NAN";
  char buf[40];
  // Whole numbers read best as "10.0"; others in the shortest exact form.
  if (d == std::trunc(d) && std::fabs(d) < 1e15) {
    std::snprintf(buf, sizeof buf, "%.1f", d);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.17g", d);
  std::string s = buf;
  // Prefer the shortest spelling that reads back exactly.
  for (int precision = 1; precision < 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, d);
    if (std::strtod(buf, nullptr) == d) {
      s = buf;
      break;
    }
  }
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

// A source line as a C++ comment: printable ASCII only, never ending in a
// backslash (which would continue the comment onto the next line).
std::string CommentText(const std::string& line) {
  std::string out;
  for (unsigned char c : line) {
    if (c == '\t') c = ' ';
    out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  size_t first = out.find_first_not_of(' ');
  out = first == std::string::npos ? "" : out.substr(first);
  while (!out.empty() && (out.back() == ' ' || out.back() == '\\')) out.pop_back();
  constexpr size_t kMaxComment = 100;
  if (out.size() > kMaxComment) out = out.substr(0, kMaxComment) + " ...";
  return out;
}

// A source line as error reports quote it: without the indentation and the
// trailing blanks (and the CR of a CR LF file).
std::string SourceText(const std::string& line) {
  size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = line.find_last_not_of(" \t\r");
  return line.substr(first, last - first + 1);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace kslc::gen

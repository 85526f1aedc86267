// SPDX-License-Identifier: Zlib
// Reading scenarios and state dumps, evaluating references, checking
// expectations. See Scenario.h and README.md.
#include "Scenario.h"

#include <json-c/json.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "library/SecureMap.h"
#include "run/InputScript.h"

namespace scenario {

// ---------------------------------------------------------------- values

Value Value::Number(double d) {
  Value v;
  v.kind = Kind::Number;
  v.number = d;
  return v;
}

Value Value::String(std::string s) {
  Value v;
  v.kind = Kind::String;
  v.text = std::move(s);
  return v;
}

Value Value::Undefined() {
  Value v;
  v.kind = Kind::Undefined;
  return v;
}

Value Value::Missing(std::string why) {
  Value v;
  v.kind = Kind::Missing;
  v.text = std::move(why);
  return v;
}

namespace {

std::string NumberText(double d) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", d);
  return text;
}

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string Value::Describe() const {
  switch (kind) {
    case Kind::Number: return NumberText(number);
    case Kind::String: return Quote(text);
    case Kind::Undefined: return "undefined";
    case Kind::Missing: break;
  }
  return "(none: " + text + ")";
}

bool Compare(const Value& actual, Op op, const Value& expected) {
  using K = Value::Kind;
  if (actual.kind == K::Missing || expected.kind == K::Missing) return false;
  if (op == Op::Equal || op == Op::NotEqual || op == Op::Near) {
    bool equal;
    if (actual.kind != expected.kind)
      equal = false;
    else if (actual.kind == K::Number)
      equal = std::fabs(actual.number - expected.number) <= 1e-6;
    else if (actual.kind == K::String)
      equal = actual.text == expected.text;
    else
      equal = true;  // both undefined
    return op == Op::NotEqual ? !equal : equal;
  }
  // Ordering: numbers by value, strings by their bytes; nothing else orders.
  int order;
  if (actual.kind == K::Number && expected.kind == K::Number) {
    if (std::fabs(actual.number - expected.number) <= 1e-6)
      order = 0;
    else
      order = actual.number < expected.number ? -1 : 1;
  } else if (actual.kind == K::String && expected.kind == K::String) {
    order = actual.text.compare(expected.text);
  } else {
    return false;
  }
  switch (op) {
    case Op::Less: return order < 0;
    case Op::Greater: return order > 0;
    case Op::LessOrEqual: return order <= 0;
    case Op::GreaterOrEqual: return order >= 0;
    default: return false;
  }
}

// ---------------------------------------------------------------- reading a scenario

namespace {

bool IsIdentifier(const std::string& s) {
  if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
  return std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

bool IsDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool ParseInt(const std::string& s, int64_t* value) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(s.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE) return false;
  *value = v;
  return true;
}

std::vector<std::string> Split(const std::string& s, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t at = s.find(separator, start);
    parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// The head of a reference: "obj", "obj#2" or "100005".
struct Head {
  std::string object;  // empty for an id
  int64_t index = -1;  // -1: no #n
  int64_t id = -1;
};

bool ParseHead(const std::string& text, Head* head) {
  if (IsDigits(text)) return ParseInt(text, &head->id);
  size_t hash = text.find('#');
  head->object = text.substr(0, hash);
  if (!IsIdentifier(head->object)) return false;
  if (hash == std::string::npos) return true;
  std::string index = text.substr(hash + 1);
  return IsDigits(index) && ParseInt(index, &head->index);
}

bool CheckReference(const std::string& reference, std::string* why) {
  std::vector<std::string> parts = Split(reference, '.');
  Head head;
  if (!ParseHead(parts[0], &head)) {
    *why = "'" + reference + "' is not a value: a number, a \"string\", noone, undefined or a reference";
    return false;
  }
  for (size_t i = 1; i < parts.size(); ++i)
    if (!IsIdentifier(parts[i])) {
      *why = "'" + parts[i] + "' in '" + reference + "' is not a variable name";
      return false;
    }
  return true;
}

// Reads a line left to right.
class LineReader {
 public:
  explicit LineReader(const std::string& line) : line_(line) {}

  bool AtEnd() {
    SkipSpaces();
    return pos_ >= line_.size();
  }
  bool Peek(char c) {
    SkipSpaces();
    return pos_ < line_.size() && line_[pos_] == c;
  }
  bool Take(char c) {
    if (!Peek(c)) return false;
    ++pos_;
    return true;
  }
  // A run of characters up to a space or one of `stops`.
  std::string Word(const char* stops = "") {
    SkipSpaces();
    size_t start = pos_;
    while (pos_ < line_.size() && !std::isspace(static_cast<unsigned char>(line_[pos_])) &&
           !std::strchr(stops, line_[pos_]))
      ++pos_;
    return line_.substr(start, pos_ - start);
  }
  // A "quoted" text with \" \\ \n \t escapes.
  bool Quoted(std::string* out) {
    if (!Take('"')) return false;
    out->clear();
    while (pos_ < line_.size()) {
      char c = line_[pos_++];
      if (c == '"') return true;
      if (c == '\\' && pos_ < line_.size()) {
        char e = line_[pos_++];
        c = e == 'n' ? '\n' : e == 't' ? '\t' : e;
      }
      *out += c;
    }
    return false;
  }

 private:
  void SkipSpaces() {
    while (pos_ < line_.size() && std::isspace(static_cast<unsigned char>(line_[pos_]))) ++pos_;
  }
  const std::string& line_;
  size_t pos_ = 0;
};

// One operand: "text", noone, undefined, a number, or a reference. `stops`
// end a bare word (list and map items end at ',', ']' or '}').
bool ReadOperand(LineReader& reader, Operand* operand, std::string* why, const char* stops = "") {
  if (reader.Peek('"')) {
    std::string text;
    if (!reader.Quoted(&text)) {
      *why = "a string is not closed";
      return false;
    }
    operand->literal = Value::String(text);
    return true;
  }
  std::string word = reader.Word(stops);
  if (word.empty()) {
    *why = "a value is missing";
    return false;
  }
  if (word == "noone") {
    operand->literal = Value::Number(-4);
    return true;
  }
  if (word == "undefined") {
    operand->literal = Value::Undefined();
    return true;
  }
  if (word == "true" || word == "false") {
    operand->literal = Value::Number(word == "true" ? 1 : 0);
    return true;
  }
  if (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-' || word[0] == '+' || word[0] == '.') {
    char* end = nullptr;
    double d = std::strtod(word.c_str(), &end);
    if (*end == '\0') {
      operand->literal = Value::Number(d);
      return true;
    }
  }
  if (!CheckReference(word, why)) return false;
  operand->isReference = true;
  operand->reference = word;
  return true;
}

bool ReadOp(const std::string& word, bool pixel, Op* op) {
  if (word == "=") *op = Op::Equal;
  else if (word == "!=") *op = Op::NotEqual;
  else if (pixel && word == "~") *op = Op::Near;
  else if (!pixel && word == "<") *op = Op::Less;
  else if (!pixel && word == ">") *op = Op::Greater;
  else if (!pixel && word == "<=") *op = Op::LessOrEqual;
  else if (!pixel && word == ">=") *op = Op::GreaterOrEqual;
  else return false;
  return true;
}

bool ReadList(LineReader& reader, Expectation* e, std::string* why) {
  if (!reader.Take('[')) {
    *why = "a list is written [value, value, ...]";
    return false;
  }
  if (reader.Take(']')) return true;
  while (true) {
    Operand item;
    if (!ReadOperand(reader, &item, why, ",]")) return false;
    e->items.push_back(item);
    if (reader.Take(']')) return true;
    if (!reader.Take(',')) {
      *why = "list items are separated by ',' and the list ends with ']'";
      return false;
    }
  }
}

bool ReadMap(LineReader& reader, Expectation* e, std::string* why) {
  if (!reader.Take('{')) {
    *why = "a map is written {\"key\": value, ...}";
    return false;
  }
  if (reader.Take('}')) return true;
  while (true) {
    std::string key;
    if (!reader.Quoted(&key) || !reader.Take(':')) {
      *why = "map entries are written \"key\": value";
      return false;
    }
    Operand value;
    if (!ReadOperand(reader, &value, why, ",}")) return false;
    e->entries.emplace_back(key, value);
    if (reader.Take('}')) return true;
    if (!reader.Take(',')) {
      *why = "map entries are separated by ',' and the map ends with '}'";
      return false;
    }
  }
}

bool ReadPixel(LineReader& reader, Expectation* e, std::string* why) {
  int64_t numbers[5];  // x, y, r, g, b
  for (int i = 0; i < 2; ++i)
    if (!ParseInt(reader.Word(), &numbers[i]) || numbers[i] < 0) {
      *why = "a pixel check is written: pixel <x> <y> ~ <r> <g> <b>";
      return false;
    }
  if (!ReadOp(reader.Word(), true, &e->op)) {
    *why = "a pixel is compared with ~ (each channel within 40), = or !=";
    return false;
  }
  for (int i = 2; i < 5; ++i)
    if (!ParseInt(reader.Word(), &numbers[i]) || numbers[i] < 0 || numbers[i] > 255) {
      *why = "a colour is three numbers from 0 to 255";
      return false;
    }
  e->x = static_cast<int>(numbers[0]);
  e->y = static_cast<int>(numbers[1]);
  for (int i = 0; i < 3; ++i) e->rgb[i] = static_cast<int>(numbers[2 + i]);
  return true;
}

// A name in the save folder as a scenario writes it: '/' between folders,
// nothing that could lead out of the folder, and at most one '*' (none when
// the name is that of a new file).
bool CheckSaveName(const std::string& name, bool wildcard, std::string* why) {
  if (name.empty() || name[0] == '/') {
    *why = "a name in the save folder is relative to it and not empty";
    return false;
  }
  for (const std::string& part : Split(name, '/'))
    if (part.empty() || part == "." || part == "..") {
      *why = "'" + name + "' holds an empty, '.' or '..' part";
      return false;
    }
  size_t stars = static_cast<size_t>(std::count(name.begin(), name.end(), '*'));
  if (stars > (wildcard ? 1u : 0u)) {
    *why = wildcard ? "a name holds at most one '*'" : "'" + name + "' names one file and holds no '*'";
    return false;
  }
  return true;
}

// "expect files ..." after the word files.
bool ReadFilesCount(LineReader& reader, Expectation* e, std::string* why) {
  if (!reader.Quoted(&e->subject)) {
    *why = "expect files takes a \"quoted\" pattern: expect files \"<pattern>\" = <count>";
    return false;
  }
  if (!CheckSaveName(e->subject, true, why)) return false;
  if (!ReadOp(reader.Word(), false, &e->op) || !ReadOperand(reader, &e->expected, why) || e->expected.isReference ||
      e->expected.literal.kind != Value::Kind::Number || e->expected.literal.number < 0 ||
      e->expected.literal.number != std::floor(e->expected.literal.number)) {
    *why = "a number of files is compared with a count: expect files \"<pattern>\" <op> <count>";
    return false;
  }
  return true;
}

// "expect F clipboard ..." after the word clipboard.
bool ReadClipboard(LineReader& reader, Expectation* e, std::string* why) {
  std::string op = reader.Word();
  if (op != "=" && op != "!=") {
    *why = "the clipboard is compared with = or !=";
    return false;
  }
  e->op = op == "=" ? Op::Equal : Op::NotEqual;
  if (!reader.Peek('"')) {
    std::string word = reader.Word();
    if (word == "undefined") {
      e->expected.literal = Value::Undefined();
      return true;
    }
    if (word == "file" && reader.Quoted(&e->subject) && !e->subject.empty()) return true;
    if (word == "frame" && ParseInt(reader.Word(), &e->otherFrame) && e->otherFrame >= 0) return true;
    if (word == "saved" && reader.Quoted(&e->subject) && !e->subject.empty()) {
      e->inSaveFolder = true;
      return CheckSaveName(e->subject, false, why);
    }
    *why = "the clipboard is compared with a \"text\", file \"<path>\", saved \"<name>\", frame <F> or undefined (never set)";
    return false;
  }
  std::string text;
  if (!reader.Quoted(&text)) {
    *why = "a string is not closed";
    return false;
  }
  e->expected.literal = Value::String(text);
  return true;
}

// "expect ..." after the word expect.
// "expect F audio ..." after the word audio:
//   count [<sound>] <op> <number> | plays|samples|level|peak|device <op> <value>
//   voice <handle or ref> <field> <op> <value> | sound <sound> <field> <op> <value>
bool ReadAudio(LineReader& reader, Expectation* e, std::string* why) {
  static const char* const kUsage =
      "expect F audio takes count [<sound>], plays, samples, level, peak, device, "
      "voice <handle> <field> or sound <sound> <field>, then <op> <value>";
  static const std::set<std::string> kFields = {"handle", "sound", "name", "state", "gain", "position"};
  e->audioWhat = reader.Word();
  const std::string& what = e->audioWhat;
  std::string op;
  if (what == "count") {
    op = reader.Word();
    if (!ReadOp(op, false, &e->op)) {
      e->audioSelector = op;
      op = reader.Word();
    }
  } else if (what == "voice" || what == "sound") {
    e->audioSelector = reader.Word();
    e->audioField = reader.Word();
    if (e->audioSelector.empty() || !kFields.count(e->audioField)) {
      *why = std::string(kUsage) + "; a voice's field is handle, sound, name, state, gain or position";
      return false;
    }
    if (what == "voice" && !IsDigits(e->audioSelector) && !CheckReference(e->audioSelector, why)) return false;
    op = reader.Word();
  } else if (what == "plays" || what == "samples" || what == "level" || what == "peak" || what == "device") {
    op = reader.Word();
  } else {
    *why = kUsage;
    return false;
  }
  // `~` is "within 0.02": gains and positions move by a frame's worth at a time.
  if (op == "~") {
    e->op = Op::Near;
  } else if (!ReadOp(op, false, &e->op)) {
    *why = "'" + op + "' is not a comparison (=, !=, <, >, <=, >=, ~)";
    return false;
  }
  if (!ReadOperand(reader, &e->expected, why)) return false;
  if (what == "count" && (e->expected.isReference || e->expected.literal.kind != Value::Kind::Number)) {
    *why = "an audio count is compared with a number";
    return false;
  }
  return true;
}

bool ReadExpectation(LineReader& reader, Expectation* e, std::string* why) {
  std::string word = reader.Word();
  using K = Expectation::Kind;
  if (word == "log" || word == "nolog" || word == "file" || word == "nofile") {
    e->kind = word == "log" ? K::Log : word == "nolog" ? K::NoLog : word == "file" ? K::File : K::NoFile;
    if (!reader.Quoted(&e->subject)) {
      *why = "expect " + word + " takes a \"quoted\" text";
      return false;
    }
    return e->kind == K::Log || e->kind == K::NoLog || CheckSaveName(e->subject, true, why);
  }
  if (word == "files") {
    e->kind = K::Files;
    return ReadFilesCount(reader, e, why);
  }
  if (word == "exit") {
    e->kind = K::Exit;
    int64_t code;
    if (!ParseInt(reader.Word(), &code)) {
      *why = "expect exit takes an exit code";
      return false;
    }
    e->exitCode = static_cast<int>(code);
    return true;
  }
  if (!ParseInt(word, &e->frame) || e->frame < 0) {
    *why = "expect takes a frame number (or log, nolog, file, nofile, files, exit)";
    return false;
  }
  std::string what = reader.Word();
  if (what == "clipboard") {
    e->kind = K::Clipboard;
    return ReadClipboard(reader, e, why);
  }
  if (what == "work") {
    e->kind = K::Work;
    std::string op = reader.Word();
    if ((op != "=" && op != "!=") || !ParseInt(reader.Word(), &e->otherFrame) || e->otherFrame < 0) {
      *why = "the work is compared with another frame's: work = <frame> or work != <frame>";
      return false;
    }
    e->op = op == "=" ? Op::Equal : Op::NotEqual;
    return true;
  }
  if (what == "count") {
    e->kind = K::Count;
    e->subject = reader.Word();
    if (!IsIdentifier(e->subject)) {
      *why = "expect F count takes an object name";
      return false;
    }
    if (!ReadOp(reader.Word(), false, &e->op) || !ReadOperand(reader, &e->expected, why) ||
        e->expected.isReference || e->expected.literal.kind != Value::Kind::Number) {
      *why = "a count is compared with a number: count <object> <op> <number>";
      return false;
    }
    return true;
  }
  if (what == "list" || what == "map") {
    e->kind = what == "list" ? K::List : K::Map;
    e->subject = reader.Word();
    if (!CheckReference(e->subject, why)) return false;
    if (reader.Word("[{") != "=") {
      *why = "expect F " + what + " <ref> = ... compares with '='";
      return false;
    }
    return what == "list" ? ReadList(reader, e, why) : ReadMap(reader, e, why);
  }
  if (what == "pixel") {
    e->kind = K::Pixel;
    return ReadPixel(reader, e, why);
  }
  if (what == "audio") {
    e->kind = K::Audio;
    return ReadAudio(reader, e, why);
  }
  e->kind = K::Value;
  e->subject = what;
  if (!CheckReference(what, why)) return false;
  std::string op = reader.Word();
  if (!ReadOp(op, false, &e->op)) {
    *why = "'" + op + "' is not a comparison (=, !=, <, >, <=, >=)";
    return false;
  }
  return ReadOperand(reader, &e->expected, why);
}

// "save ..." after the word save.
bool ReadSaveChange(LineReader& reader, SaveChange* change, std::string* why) {
  using K = SaveChange::Kind;
  std::string verb = reader.Word();
  if (verb == "flip") change->kind = K::Flip;
  else if (verb == "cut") change->kind = K::Cut;
  else if (verb == "delete") change->kind = K::Delete;
  else if (verb == "retag") change->kind = K::Retag;
  else if (verb == "copy") change->kind = K::Copy;
  else {
    *why = "save takes flip, cut, delete, retag or copy";
    return false;
  }
  if (!reader.Quoted(&change->name)) {
    *why = "save " + verb + " takes a \"quoted\" name in the save folder";
    return false;
  }
  if (!CheckSaveName(change->name, change->kind != K::Copy, why)) return false;
  if (change->kind == K::Flip || change->kind == K::Cut) {
    if (!ParseInt(reader.Word(), &change->number) || (change->kind == K::Cut && change->number < 0)) {
      *why = change->kind == K::Flip ? "save flip takes the byte's offset (negative: from the end)"
                                     : "save cut takes the length to cut the file to (0 or more)";
      return false;
    }
  }
  if (change->kind == K::Copy) {
    bool read = reader.Word() == "from";
    // `from saved "<name>"`: a file of the save folder itself, as a user
    // copies a kept file back by hand.
    if (read && !reader.Peek('"')) {
      change->fromSaveFolder = true;
      read = reader.Word() == "saved";
    }
    read = read && reader.Quoted(&change->from) && !change->from.empty();
    if (!read) {
      *why = "save copy is written: save copy \"<name>\" from \"<file beside the scenario>\", or from saved "
             "\"<name in the save folder>\"";
      return false;
    }
    if (change->fromSaveFolder && !CheckSaveName(change->from, false, why)) return false;
  }
  return true;
}

// Every expectation, those inside `either` groups included.
void VisitAll(const std::vector<Expectation>& expectations, const std::function<void(const Expectation&)>& visit) {
  for (const Expectation& e : expectations) {
    visit(e);
    for (const std::vector<Expectation>& alternative : e.alternatives) VisitAll(alternative, visit);
  }
}

std::set<int64_t> FramesOf(const std::vector<Expectation>& expectations, bool pictures) {
  std::set<int64_t> frames;
  VisitAll(expectations, [&](const Expectation& e) {
    if (e.frame >= 0 && (e.kind == Expectation::Kind::Pixel) == pictures) frames.insert(e.frame);
    if (e.otherFrame >= 0 && !pictures) frames.insert(e.otherFrame);
  });
  return frames;
}

}  // namespace

std::set<int64_t> Run::DumpFrames() const { return FramesOf(expectations, false); }

std::set<int64_t> Run::PictureFrames() const { return FramesOf(expectations, true); }

std::vector<std::string> Run::ProgramArguments() const {
  std::vector<std::string> arguments = {"-noaudio"};
  if (audioLoopback) {
    arguments = {"-audio", "loopback"};
    for (const auto& [frame, milliseconds] : audioStalls)
      arguments.insert(arguments.end(), {"-audiostall", std::to_string(frame), std::to_string(milliseconds)});
  }
  if (failSaveStep > 0) arguments.insert(arguments.end(), {"-failsave", std::to_string(failSaveStep)});
  return arguments;
}

std::vector<const Run*> Scenario::Runs() const {
  std::vector<const Run*> runs = {this};
  for (const Run& run : laterRuns) runs.push_back(&run);
  return runs;
}

bool ParseScenario(const std::string& text, Scenario* scenario, std::vector<std::string>* errors) {
  *scenario = Scenario{};
  size_t errorsBefore = errors->size();
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  // What is known of the run being read.
  Run* run = scenario;
  int64_t greatestFrame = -1;
  int64_t framesGiven = -1;  // its `run N`
  int runLine = 0;
  std::vector<std::pair<int, int64_t>> inputFrames;  // line, frame
  std::vector<std::pair<int, int64_t>> stallLines;   // line, frame of its `audio stall` lines
  auto fail = [&](const std::string& why) {
    errors->push_back("line " + std::to_string(number) + ": " + why + ": " + line);
  };
  auto runName = [&] { return "run " + std::to_string(run->number); };
  // The `either` group being read: its line (0 when none) and where its
  // expectations go.
  int groupLine = 0;
  auto groupOpen = [&] { return groupLine > 0; };
  auto closeGroupAt = [&](const std::string& where) {
    if (!groupOpen()) return;
    errors->push_back("line " + std::to_string(groupLine) + ": `either` has no `end` before " + where);
    groupLine = 0;
  };
  int64_t failSaveLine = 0;
  // At a `restart` and at the end: the frames the run runs, and nothing named beyond them.
  auto endRun = [&] {
    closeGroupAt("the end of " + runName());
    // A stall is mixed on the loopback device: without it there is no sound to stall.
    if (!run->audioLoopback)
      for (const auto& [stallLine, stallFrame] : stallLines)
        errors->push_back("line " + std::to_string(stallLine) + ": audio stall needs `audio loopback` in " + runName());
    if (framesGiven < 0) {
      run->framesToRun = greatestFrame + 2;
      return;
    }
    // Frames run are 0 to N - 1: anything named later would never happen.
    std::string runs = "`run " + std::to_string(framesGiven) + "` on line " + std::to_string(runLine) +
                       " runs frames 0 to " + std::to_string(framesGiven - 1) + " of " + runName();
    VisitAll(run->expectations, [&](const Expectation& e) {
      if (e.frame >= framesGiven)
        errors->push_back("line " + std::to_string(e.line) + ": frame " + std::to_string(e.frame) + " is not run (" +
                          runs + "): " + e.text);
    });
    for (const auto& [inputLine, frame] : inputFrames)
      if (frame >= framesGiven)
        errors->push_back("line " + std::to_string(inputLine) + ": frame " + std::to_string(frame) + " is not run (" +
                          runs + ")");
    run->framesToRun = framesGiven;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    line = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
    LineReader reader(line);
    std::string word = reader.Word();
    // A group holds expectations only: input, options and changes belong to the run.
    if (groupOpen() && word != "expect" && word != "or" && word != "end" && word != "either" && word != "restart") {
      fail("between `either` and `end` stand expect lines and `or` only");
      continue;
    }
    int64_t frame;
    if (ParseInt(word, &frame)) {
      // An input event: the input-script reader itself says whether it can play it.
      std::vector<ScriptedEvent> events;
      std::string why;
      if (frame < 0 || !InputScript_Parse(line + "\n", &events, &why)) {
        if (why.rfind("line 1: ", 0) == 0) why.erase(0, 8);  // the script is this one line
        fail(frame < 0 ? "frames count from 0" : "not an input event (" + why + ")");
        continue;
      }
      run->inputLines.push_back(line);
      inputFrames.emplace_back(number, frame);
      // A click's release comes in the next frame.
      greatestFrame = std::max(greatestFrame, events.empty() ? frame : events.back().frame);
    } else if (word == "run") {
      if (framesGiven >= 0) {
        fail("run is given twice in " + runName());
        continue;
      }
      if (!ParseInt(reader.Word(), &framesGiven) || framesGiven < 1 || !reader.AtEnd()) {
        framesGiven = -1;
        fail("run takes a number of frames (1 or more)");
        continue;
      }
      runLine = number;
    } else if (word == "audio") {
      std::string what = reader.Word();
      if (what == "loopback" && reader.AtEnd()) {
        run->audioLoopback = true;
      } else if (what == "stall") {
        int64_t stallFrame = -1, milliseconds = -1;
        if (!ParseInt(reader.Word(), &stallFrame) || stallFrame < 0 || !ParseInt(reader.Word(), &milliseconds) ||
            milliseconds < 0 || milliseconds > 60000 || !reader.AtEnd()) {
          fail("audio stall takes a frame and milliseconds from 0 to 60000");
          continue;
        }
        run->audioStalls.emplace_back(stallFrame, static_cast<int>(milliseconds));
        stallLines.emplace_back(number, stallFrame);
        inputFrames.emplace_back(number, stallFrame);
        greatestFrame = std::max(greatestFrame, stallFrame);
      } else {
        fail("audio takes loopback, or stall <frame> <milliseconds>");
      }
    } else if (word == "open") {
      std::string path;
      if (!run->openFile.empty() || !reader.Quoted(&path) || path.empty() || !reader.AtEnd()) {
        fail("open takes one \"quoted\" file, once per run");
        continue;
      }
      run->openFile = path;
    } else if (word == "failsave") {
      if (failSaveLine > 0) {
        fail("failsave is given twice in " + runName());
        continue;
      }
      if (!ParseInt(reader.Word(), &run->failSaveStep) || run->failSaveStep < 1 || !reader.AtEnd()) {
        run->failSaveStep = 0;
        fail("failsave takes the number of the save folder's file step to fail (1 or more)");
        continue;
      }
      failSaveLine = number;
    } else if (word == "either" || word == "or" || word == "end") {
      if (!reader.AtEnd()) {
        fail(word + " stands alone on its line");
        continue;
      }
      if (word == "either") {
        if (groupOpen()) {
          fail("`either` groups do not nest");
          continue;
        }
        Expectation group;
        group.kind = Expectation::Kind::AnyOf;
        group.line = number;
        group.text = line;
        group.alternatives.emplace_back();
        run->expectations.push_back(std::move(group));
        groupLine = number;
        continue;
      }
      if (!groupOpen()) {
        fail(word + " without `either`");
        continue;
      }
      Expectation& group = run->expectations.back();
      if (group.alternatives.back().empty()) {
        fail("an alternative of `either` holds no expectation");
        if (word == "end") groupLine = 0;  // the group ends here all the same
        continue;
      }
      if (word == "or") {
        group.alternatives.emplace_back();
      } else if (group.alternatives.size() < 2) {
        fail("`either` needs `or` and a second alternative");
        groupLine = 0;
      } else {
        groupLine = 0;
      }
    } else if (word == "restart") {
      if (!reader.AtEnd()) {
        fail("restart stands alone on its line");
        continue;
      }
      endRun();
      scenario->laterRuns.emplace_back();
      run = &scenario->laterRuns.back();
      run->number = static_cast<int>(scenario->laterRuns.size()) + 1;
      run->firstLine = number;
      greatestFrame = -1;
      framesGiven = -1;
      runLine = 0;
      failSaveLine = 0;
      inputFrames.clear();
      stallLines.clear();
    } else if (word == "save") {
      SaveChange change;
      change.line = number;
      change.text = line;
      std::string why;
      if (!ReadSaveChange(reader, &change, &why)) {
        fail(why);
        continue;
      }
      if (!reader.AtEnd()) {
        fail("unexpected text after the change");
        continue;
      }
      run->changesAfter.push_back(std::move(change));
    } else if (word == "expect") {
      Expectation e;
      e.line = number;
      e.text = line;
      std::string why;
      if (!ReadExpectation(reader, &e, &why)) {
        fail(why);
        continue;
      }
      if (!reader.AtEnd()) {
        fail("unexpected text after the expectation");
        continue;
      }
      greatestFrame = std::max(greatestFrame, e.frame);
      if (groupOpen()) {
        if (e.kind == Expectation::Kind::Exit) {
          fail("expect exit cannot be one of the alternatives of `either`");
          continue;
        }
        run->expectations.back().alternatives.back().push_back(std::move(e));
        continue;
      }
      if (e.kind == Expectation::Kind::Exit) run->expectsExit = true;
      run->expectations.push_back(std::move(e));
    } else {
      fail("not an input event (<frame> <event> ...), run, audio, failsave, open, restart, save, expect, either, or or end");
    }
  }
  endRun();
  // A change is made between two runs: after the last one nothing would see it.
  for (const SaveChange& change : run->changesAfter)
    errors->push_back("line " + std::to_string(change.line) + ": a save change is made before the next run starts, " +
                      "and no restart follows it: " + change.text);
  return errors->size() == errorsBefore;
}

// ---------------------------------------------------------------- reading a dump

namespace {

Value FromJson(json_object* value) {
  switch (json_object_get_type(value)) {
    case json_type_null: return Value::Undefined();
    case json_type_boolean: return Value::Number(json_object_get_boolean(value) ? 1 : 0);
    case json_type_double:
    case json_type_int: return Value::Number(json_object_get_double(value));
    case json_type_string: return Value::String(json_object_get_string(value));
    default: return Value::String(json_object_to_json_string_ext(value, JSON_C_TO_STRING_PLAIN));
  }
}

}  // namespace

bool ParseDump(const std::string& json, Dump* dump, std::string* error) {
  *dump = Dump{};
  json_tokener* tokener = json_tokener_new();
  json_object* root = json_tokener_parse_ex(tokener, json.c_str(), static_cast<int>(json.size()));
  json_tokener_error status = json_tokener_get_error(tokener);
  json_tokener_free(tokener);
  if (!root || status != json_tokener_success || !json_object_is_type(root, json_type_object)) {
    *error = std::string("not a state dump: ") + json_tokener_error_desc(status);
    json_object_put(root);
    return false;
  }
  json_object *frame = nullptr, *instances = nullptr, *lists = nullptr, *maps = nullptr;
  if (!json_object_object_get_ex(root, "frame", &frame) || !json_object_object_get_ex(root, "instances", &instances) ||
      !json_object_is_type(instances, json_type_array) || !json_object_object_get_ex(root, "lists", &lists) ||
      !json_object_object_get_ex(root, "maps", &maps)) {
    *error = "not a state dump: frame, instances, lists or maps is missing";
    json_object_put(root);
    return false;
  }
  dump->frame = json_object_get_int64(frame);
  json_object* clipboard = nullptr;
  if (!json_object_object_get_ex(root, "clipboard", &clipboard))
    dump->clipboard = Value::Missing("the state dump holds no clipboard");
  else if (clipboard && !json_object_is_type(clipboard, json_type_string))
    dump->clipboard = Value::Missing("the state dump's clipboard is not a text or null");
  else
    dump->clipboard = FromJson(clipboard);
  json_object* cursor = nullptr;
  if (json_object_object_get_ex(root, "cursor", &cursor) && json_object_is_type(cursor, json_type_string))
    dump->cursor = FromJson(cursor);
  else
    dump->cursor = Value::Missing("the state dump holds no cursor");
  for (size_t i = 0; i < json_object_array_length(instances); ++i) {
    json_object* item = json_object_array_get_idx(instances, i);
    DumpInstance instance;
    json_object_object_foreach(item, key, member) {
      if (std::strcmp(key, "variables") == 0) {
        json_object_object_foreach(member, name, variable) instance.variables[name] = FromJson(variable);
      } else {
        instance.fields[key] = FromJson(member);
      }
    }
    instance.object = instance.fields["object"].text;
    instance.id = static_cast<int64_t>(instance.fields["id"].number);
    dump->instances.push_back(std::move(instance));
  }
  json_object_object_foreach(lists, listHandle, items) {
    std::vector<Value>& list = dump->lists[listHandle];
    for (size_t i = 0; i < json_object_array_length(items); ++i) list.push_back(FromJson(json_object_array_get_idx(items, i)));
  }
  json_object_object_foreach(maps, mapHandle, entries) {
    auto& map = dump->maps[mapHandle];
    json_object_object_foreach(entries, key, value) map.emplace_back(key, FromJson(value));
  }
  json_object* audio = nullptr;
  if (json_object_object_get_ex(root, "audio", &audio) && json_object_is_type(audio, json_type_object)) {
    dump->hasAudio = true;
    json_object_object_foreach(audio, key, member) {
      if (std::strcmp(key, "voices") != 0) {
        dump->audio[key] = FromJson(member);
      } else if (json_object_is_type(member, json_type_array)) {
        for (size_t i = 0; i < json_object_array_length(member); ++i) {
          json_object* voice = json_object_array_get_idx(member, i);
          if (!json_object_is_type(voice, json_type_object)) continue;
          std::map<std::string, Value>& fields = dump->voices.emplace_back();
          json_object_object_foreach(voice, name, value) fields[name] = FromJson(value);
        }
      }
    }
  }
  json_object_put(root);
  return true;
}

const DumpInstance* Dump::FindId(int64_t id) const {
  for (const DumpInstance& instance : instances)
    if (instance.id == id) return &instance;
  return nullptr;
}

std::vector<const DumpInstance*> Dump::OfObject(const std::string& object) const {
  std::vector<const DumpInstance*> found;
  for (const DumpInstance& instance : instances)
    if (instance.object == object) found.push_back(&instance);
  std::sort(found.begin(), found.end(), [](const DumpInstance* a, const DumpInstance* b) { return a->id < b->id; });
  return found;
}

// ---------------------------------------------------------------- references

namespace {

std::string Name(const DumpInstance& instance) { return instance.object + " " + std::to_string(instance.id); }

}  // namespace

Value Evaluate(const Dump& dump, const std::string& reference) {
  if (reference == "cursor") return dump.cursor;
  std::vector<std::string> parts = Split(reference, '.');
  Head head;
  if (!ParseHead(parts[0], &head)) return Value::Missing("'" + reference + "' is not a reference");
  const DumpInstance* instance = nullptr;
  if (head.object.empty()) {
    instance = dump.FindId(head.id);
    if (!instance) return Value::Missing("no live instance has id " + parts[0]);
  } else {
    std::vector<const DumpInstance*> found = dump.OfObject(head.object);
    size_t index = head.index < 0 ? 0 : static_cast<size_t>(head.index);
    if (index >= found.size())
      return Value::Missing(head.object + " has " + std::to_string(found.size()) + " live instance(s)");
    instance = found[index];
  }
  // An object alone, or with #n, stands for that instance's id.
  if (parts.size() == 1) return Value::Number(static_cast<double>(instance->id));
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string& name = parts[i];
    Value value;
    if (auto v = instance->variables.find(name); v != instance->variables.end())
      value = v->second;
    else if (auto f = instance->fields.find(name); f != instance->fields.end())
      value = f->second;
    else
      return Value::Missing(Name(*instance) + " has no variable " + name);
    if (i + 1 == parts.size()) return value;
    // A variable in the middle of a chain holds the id of the next instance.
    const DumpInstance* next = value.kind == Value::Kind::Number ? dump.FindId(static_cast<int64_t>(value.number)) : nullptr;
    if (!next) return Value::Missing(Name(*instance) + "." + name + " holds " + value.Describe() + ", not a live instance id");
    instance = next;
  }
  return Value::Missing("'" + reference + "' leads nowhere");  // not reached: the loop returns at the last part
}

Value Resolve(const Dump& dump, const Operand& operand) {
  return operand.isReference ? Evaluate(dump, operand.reference) : operand.literal;
}

// ---------------------------------------------------------------- checks

namespace {

const Dump* DumpOf(const RunResult& run, int64_t frame, std::string* why) {
  auto it = run.dumps.find(frame);
  if (it != run.dumps.end()) return &it->second;
  auto bad = run.unreadable.find(frame);
  *why = bad != run.unreadable.end() ? bad->second : "no state dump of frame " + std::to_string(frame);
  return nullptr;
}

// The handle a reference holds, as the dump's member name.
// A plain whole number names the handle itself (`map 3`): records of frames
// are maps held in lists, reached by no variable of their own.
bool HandleOf(const Dump& dump, const std::string& reference, std::string* handle, std::string* why) {
  if (!reference.empty() && std::all_of(reference.begin(), reference.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
      reference.size() < 6) {
    *handle = std::to_string(std::stoll(reference));
    return true;
  }
  Value v = Evaluate(dump, reference);
  if (v.kind != Value::Kind::Number || v.number < 0 || v.number != std::floor(v.number)) {
    *why = reference + " is " + v.Describe() + ", not a handle";
    return false;
  }
  *handle = std::to_string(static_cast<int64_t>(v.number));
  return true;
}

std::string DescribeList(const std::vector<Value>& values) {
  std::string text = "[";
  for (size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + values[i].Describe();
  return text + "]";
}

std::string DescribeMap(const std::vector<std::pair<std::string, Value>>& entries) {
  std::string text = "{";
  for (size_t i = 0; i < entries.size(); ++i)
    text += (i ? ", " : "") + Quote(entries[i].first) + ": " + entries[i].second.Describe();
  return text + "}";
}

Outcome CheckList(const Expectation& e, const Dump& dump) {
  std::string handle, why;
  if (!HandleOf(dump, e.subject, &handle, &why)) return {false, why};
  auto it = dump.lists.find(handle);
  if (it == dump.lists.end()) return {false, "no list has handle " + handle};
  const std::vector<Value>& actual = it->second;
  bool same = actual.size() == e.items.size();
  for (size_t i = 0; same && i < actual.size(); ++i) same = Compare(actual[i], Op::Equal, Resolve(dump, e.items[i]));
  return {same, "list " + handle + " = " + DescribeList(actual)};
}

Outcome CheckMap(const Expectation& e, const Dump& dump) {
  std::string handle, why;
  if (!HandleOf(dump, e.subject, &handle, &why)) return {false, why};
  auto it = dump.maps.find(handle);
  if (it == dump.maps.end()) return {false, "no map has handle " + handle};
  const auto& actual = it->second;
  // The same keys, each with an equal value; the order is the map's hashing,
  // which the map's own tests cover, so a scenario states only the contents.
  bool same = actual.size() == e.entries.size();
  for (size_t i = 0; same && i < e.entries.size(); ++i) {
    auto found = std::find_if(actual.begin(), actual.end(), [&](const auto& entry) { return entry.first == e.entries[i].first; });
    same = found != actual.end() && Compare(found->second, Op::Equal, Resolve(dump, e.entries[i].second));
  }
  return {same, "map " + handle + " = " + DescribeMap(actual)};
}

Outcome CheckPixel(const Expectation& e, const RunResult& run) {
  auto it = run.pictures.find(e.frame);
  if (it == run.pictures.end()) {
    auto bad = run.unreadable.find(e.frame);
    return {false, bad != run.unreadable.end() ? bad->second : "no screenshot of frame " + std::to_string(e.frame)};
  }
  const DecodedImage& image = it->second;
  if (e.x >= image.width || e.y >= image.height)
    return {false, "(" + std::to_string(e.x) + ", " + std::to_string(e.y) + ") is outside the " +
                       std::to_string(image.width) + " x " + std::to_string(image.height) + " picture"};
  const uint8_t* p = &image.rgba[(static_cast<size_t>(e.y) * image.width + e.x) * 4];
  int worst = 0;
  for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(p[c] - e.rgb[c]));
  bool passed = e.op == Op::Equal ? worst == 0 : e.op == Op::Near ? worst <= 40 : worst > 40;
  return {passed, "pixel " + std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2])};
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) text += (i ? ", " : "") + names[i];
  return text;
}

Outcome CheckFiles(const Expectation& e, const RunResult& run) {
  using K = Expectation::Kind;
  if (run.saveFolder.empty()) return {false, "the save folder is unknown (the log names none)"};
  std::vector<std::string> found = MatchingFiles(run.saveFolder, e.subject);
  if (e.kind == K::Files) {
    Value count = Value::Number(static_cast<double>(found.size()));
    std::string text = std::to_string(found.size()) + " file(s) in " + run.saveFolder + " match \"" + e.subject + "\"";
    return {Compare(count, e.op, e.expected.literal), found.empty() ? text : text + ": " + JoinNames(found)};
  }
  bool exists = !found.empty();
  std::string text;
  if (e.subject.find('*') == std::string::npos)
    text = run.saveFolder + e.subject + (exists ? " exists" : " does not exist");
  else
    text = exists ? "\"" + e.subject + "\" matches " + JoinNames(found) + " in " + run.saveFolder
                  : "no file in " + run.saveFolder + " matches \"" + e.subject + "\"";
  return {exists == (e.kind == K::File), text};
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

Outcome CheckClipboard(const Expectation& e, const Dump& dump, const RunResult& run) {
  const Value& actual = dump.clipboard;
  if (actual.kind == Value::Kind::Missing) return {false, actual.text};
  Value expected = e.expected.literal;
  if (e.otherFrame >= 0) {
    std::string why;
    const Dump* other = DumpOf(run, e.otherFrame, &why);
    if (!other) return {false, why};
    expected = other->clipboard;
    if (expected.kind == Value::Kind::Missing) return {false, "frame " + std::to_string(e.otherFrame) + ": " + expected.text};
  }
  if (!e.subject.empty()) {
    std::string path = e.subject[0] == '/' ? e.subject : run.scenarioFolder + e.subject;
    // A file the run saved is read as the run left it: checks run before the
    // next run and the `save` changes.
    if (e.inSaveFolder) {
      if (run.saveFolder.empty()) return {false, "the save folder is unknown (the log names none)"};
      path = run.saveFolder + e.subject;
    }
    std::string text;
    if (!ReadWholeFile(path, &text)) return {false, "cannot read " + path};
    expected = Value::String(text);
  }
  bool equal = Compare(actual, Op::Equal, expected);
  std::string text;
  if (equal)
    text = actual.kind == Value::Kind::Undefined ? "the clipboard was never set" : "the clipboard holds that text";
  else if (actual.kind == Value::Kind::Undefined)
    text = "the clipboard was never set";
  else if (expected.kind == Value::Kind::Undefined)
    text = "the clipboard holds " + Quote(actual.text);
  else
    text = "the clipboard " + FirstDifference(actual.text, expected.text);
  return {equal == (e.op == Op::Equal), text};
}

Outcome CheckWork(const Expectation& e, const Dump& dump, const RunResult& run) {
  std::string why;
  const Dump* other = DumpOf(run, e.otherFrame, &why);
  if (!other) return {false, why};
  std::string actual, expected;
  if (!WorkText(dump, &actual, &why)) return {false, "frame " + std::to_string(e.frame) + ": " + why};
  if (!WorkText(*other, &expected, &why)) return {false, "frame " + std::to_string(e.otherFrame) + ": " + why};
  std::string difference = FirstDifference(actual, expected);
  bool same = difference.empty();
  return {same == (e.op == Op::Equal),
          same ? "the work is the same:\n" + actual : "the work of frame " + std::to_string(e.frame) + " " + difference};
}

// Whether a voice plays the sound named by a name or a sound index.
bool VoiceOfSound(const std::map<std::string, Value>& voice, const std::string& sound) {
  auto member = [&](const char* key) {
    auto it = voice.find(key);
    return it != voice.end() ? it->second : Value::Missing(key);
  };
  if (IsDigits(sound)) return Compare(member("sound"), Op::Equal, Value::Number(std::stod(sound)));
  return Compare(member("name"), Op::Equal, Value::String(sound));
}

std::string DescribeVoices(const Dump& dump) {
  if (dump.voices.empty()) return "no voice is active";
  std::string text;
  for (const auto& voice : dump.voices) {
    text += text.empty() ? "voices: " : "; ";
    for (const char* key : {"handle", "name", "state", "gain", "position"}) {
      auto it = voice.find(key);
      text += std::string(key == std::string("handle") ? "" : " ") + key + " " +
              (it != voice.end() ? it->second.Describe() : "(none)");
    }
  }
  return text;
}

Outcome CheckAudio(const Expectation& e, const Dump& dump) {
  if (!dump.hasAudio) return {false, "the state dump holds no audio"};
  const std::string& what = e.audioWhat;
  Value actual;
  std::string subject = what;
  if (what == "count") {
    size_t count = 0;
    for (const auto& voice : dump.voices) count += e.audioSelector.empty() || VoiceOfSound(voice, e.audioSelector);
    actual = Value::Number(static_cast<double>(count));
    subject = e.audioSelector.empty() ? "the count of voices" : "the count of voices of " + e.audioSelector;
  } else if (what == "voice" || what == "sound") {
    std::vector<const std::map<std::string, Value>*> found;
    if (what == "sound") {
      for (const auto& voice : dump.voices)
        if (VoiceOfSound(voice, e.audioSelector)) found.push_back(&voice);
    } else {
      Value handle = IsDigits(e.audioSelector) ? Value::Number(std::stod(e.audioSelector)) : Evaluate(dump, e.audioSelector);
      if (handle.kind != Value::Kind::Number) return {false, e.audioSelector + " is " + handle.Describe() + ", not a handle"};
      for (const auto& voice : dump.voices) {
        auto it = voice.find("handle");
        if (it != voice.end() && Compare(it->second, Op::Equal, handle)) found.push_back(&voice);
      }
    }
    if (found.size() != 1)
      return {false, std::to_string(found.size()) + " active voices of " + what + " " + e.audioSelector + "; " +
                         DescribeVoices(dump)};
    auto it = found[0]->find(e.audioField);
    actual = it != found[0]->end() ? it->second : Value::Missing("the voice has no " + e.audioField);
    subject = e.audioField + " of " + what + " " + e.audioSelector;
  } else {
    auto it = dump.audio.find(what);
    actual = it != dump.audio.end()
                 ? it->second
                 : Value::Missing("the state dump has no audio " + what + (what == "plays" || what == "device"
                                                                               ? std::string()
                                                                               : " (only the loopback device mixes)"));
  }
  Value expected = Resolve(dump, e.expected);
  bool passed;
  if (e.op == Op::Near)
    passed = actual.kind == Value::Kind::Number && expected.kind == Value::Kind::Number &&
             std::fabs(actual.number - expected.number) <= 0.02;
  else
    passed = Compare(actual, e.op, expected);
  std::string text = subject + " is " + actual.Describe();
  if (e.expected.isReference) text += ", " + e.expected.reference + " is " + expected.Describe();
  if (!passed && what != "voice" && what != "sound") text += "; " + DescribeVoices(dump);
  return {passed, text};
}

}  // namespace

Outcome Check(const Expectation& e, const RunResult& run) {
  using K = Expectation::Kind;
  switch (e.kind) {
    case K::AnyOf: {
      // Each alternative's first failure, for people to see why none held.
      std::string actual = "no alternative holds:";
      for (size_t i = 0; i < e.alternatives.size(); ++i) {
        bool holds = true;
        for (const Expectation& part : e.alternatives[i]) {
          Outcome outcome = Check(part, run);
          if (outcome.passed) continue;
          holds = false;
          actual += "\n    alternative " + std::to_string(i + 1) + ", line " + std::to_string(part.line) + ": " +
                    part.text + "\n      actual: " + outcome.actual;
          break;
        }
        if (holds) return {true, "alternative " + std::to_string(i + 1) + " holds"};
      }
      return {false, actual};
    }
    case K::Log:
    case K::NoLog: {
      bool found = run.log.find(e.subject) != std::string::npos;
      return {found == (e.kind == K::Log), found ? "the log holds it" : "the log does not hold it"};
    }
    case K::File:
    case K::NoFile:
    case K::Files:
      return CheckFiles(e, run);
    case K::Exit:
      return {run.exitCode == e.exitCode, "exit code " + std::to_string(run.exitCode)};
    case K::Pixel:
      return CheckPixel(e, run);
    default:
      break;
  }
  std::string why;
  const Dump* dump = DumpOf(run, e.frame, &why);
  if (!dump) return {false, why};
  switch (e.kind) {
    case K::Count: {
      size_t count = dump->OfObject(e.subject).size();
      return {Compare(Value::Number(static_cast<double>(count)), e.op, e.expected.literal),
              std::to_string(count) + " live " + e.subject};
    }
    case K::List: return CheckList(e, *dump);
    case K::Map: return CheckMap(e, *dump);
    case K::Clipboard: return CheckClipboard(e, *dump, run);
    case K::Work: return CheckWork(e, *dump, run);
    case K::Audio: return CheckAudio(e, *dump);
    default: {
      Value actual = Evaluate(*dump, e.subject);
      Value expected = Resolve(*dump, e.expected);
      std::string text = e.subject + " is " + actual.Describe();
      if (e.expected.isReference) text += ", " + e.expected.reference + " is " + expected.Describe();
      return {Compare(actual, e.op, expected), text};
    }
  }
}

// ---------------------------------------------------------------- the save folder

bool NameMatches(const std::string& pattern, const std::string& name) {
  size_t star = pattern.find('*');
  if (star == std::string::npos) return pattern == name;
  const size_t tail = pattern.size() - star - 1;
  if (name.size() < star + tail) return false;
  if (name.compare(0, star, pattern, 0, star) != 0) return false;
  if (name.compare(name.size() - tail, tail, pattern, star + 1, tail) != 0) return false;
  // The '*' stands within one name: it never spans a '/'.
  return name.find('/', star) >= name.size() - tail;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error)) {
    std::error_code statusError;
    if (fs::is_regular_file(it->symlink_status(statusError)))
      names.push_back(it->path().lexically_relative(folder).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> found;
  for (const std::string& name : FilesUnder(folder))
    if (NameMatches(pattern, name)) found.push_back(name);
  return found;
}

namespace {

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool IsMachineTag(const std::string& bytes) {
  return bytes.size() >= kSecureMapTagLength &&
         std::all_of(bytes.begin(), bytes.begin() + kSecureMapTagLength,
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f'); });
}

// A tag as another machine writes it: made the way the runtime makes them,
// from an identifier that is neither this machine's nor the file's own.
std::string AnotherMachineTag(const std::string& current) {
  const std::string here = SecureMap_ThisMachineTag();
  for (int n = 0;; ++n) {
    std::string tag = SecureMap_MachineTag("3f1c5e9a7b2d4c60a8e1f0b9d7c6e5a" + std::to_string(n));
    if (tag != current && tag != here) return tag;
  }
}

std::string Bytes(size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

std::string HexByte(unsigned char c) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", c);
  return text;
}

}  // namespace

bool ApplySaveChange(const SaveChange& change, const std::string& saveFolder, const std::string& scenarioFolder,
                     std::string* report) {
  namespace fs = std::filesystem;
  using K = SaveChange::Kind;
  if (change.kind == K::Copy) {
    std::string source = change.fromSaveFolder ? saveFolder + change.from
                         : change.from[0] == '/'  ? change.from
                                                  : scenarioFolder + change.from;
    std::string bytes;
    if (!ReadWholeFile(source, &bytes)) {
      *report = "cannot read " + source;
      return false;
    }
    std::error_code error;
    fs::create_directories(fs::path(saveFolder + change.name).parent_path(), error);
    if (!WriteWholeFile(saveFolder + change.name, bytes)) {
      *report = "cannot write " + saveFolder + change.name;
      return false;
    }
    *report = "copied " + source + " to " + change.name + " (" + Bytes(bytes.size()) + ")";
    return true;
  }

  std::vector<std::string> found = MatchingFiles(saveFolder, change.name);
  if (found.size() != 1) {
    if (found.empty()) {
      std::vector<std::string> all = FilesUnder(saveFolder);
      *report = "no file in " + saveFolder + " matches \"" + change.name + "\" (it holds " +
                (all.empty() ? std::string("no file") : JoinNames(all)) + ")";
    } else {
      *report = "\"" + change.name + "\" matches " + std::to_string(found.size()) + " files in " + saveFolder + ": " +
                JoinNames(found) + "; it must match exactly one";
    }
    return false;
  }
  const std::string& name = found[0];
  const std::string path = saveFolder + name;
  if (change.kind == K::Delete) {
    std::error_code error;
    if (!fs::remove(path, error)) {
      *report = "cannot delete " + path + ": " + error.message();
      return false;
    }
    *report = "deleted " + name;
    return true;
  }
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) {
    *report = "cannot read " + path;
    return false;
  }
  switch (change.kind) {
    case K::Flip: {
      const int64_t size = static_cast<int64_t>(bytes.size());
      const int64_t at = change.number < 0 ? size + change.number : change.number;
      if (at < 0 || at >= size) {
        *report = "offset " + std::to_string(change.number) + " lies outside " + name + " (" + Bytes(bytes.size()) + ")";
        return false;
      }
      unsigned char before = static_cast<unsigned char>(bytes[at]);
      bytes[at] = static_cast<char>(~before);
      *report = "flipped byte " + std::to_string(at) + " of " + name + " (" + HexByte(before) + " -> " +
                HexByte(static_cast<unsigned char>(bytes[at])) + ")";
      break;
    }
    case K::Cut:
      if (static_cast<uint64_t>(change.number) > bytes.size()) {
        *report = name + " is " + Bytes(bytes.size()) + ", shorter than " + std::to_string(change.number);
        return false;
      }
      *report = "cut " + name + " from " + Bytes(bytes.size()) + " to " + Bytes(static_cast<size_t>(change.number));
      bytes.resize(static_cast<size_t>(change.number));
      break;
    case K::Retag: {
      if (!IsMachineTag(bytes)) {
        *report = name + " does not start with an " + std::to_string(kSecureMapTagLength) +
                  "-character machine tag (" + Bytes(bytes.size()) + ")";
        return false;
      }
      std::string tag = AnotherMachineTag(bytes.substr(0, kSecureMapTagLength));
      bytes.replace(0, kSecureMapTagLength, tag);
      *report = "gave " + name + " another machine's tag " + tag.substr(0, 16) + "...";
      break;
    }
    default:
      break;
  }
  if (!WriteWholeFile(path, bytes)) {
    *report = "cannot write " + path;
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- comparing texts

namespace {

// A line quoted for reading: tabs, returns and other control characters as escapes.
std::string Visible(const std::string& line) {
  std::string out = "\"";
  for (char c : line) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') out += std::string("\\") + c;
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (u < 0x20 || u == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", u);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The line of `text` that holds byte `at`, and a note when the text ends there.
std::string LineAt(const std::string& text, size_t lineStart, size_t at) {
  size_t lineEnd = text.find('\n', lineStart);
  std::string line = text.substr(lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
  return Visible(line) + (at >= text.size() ? " (the text ends there)" : "");
}

}  // namespace

std::string FirstDifference(const std::string& actual, const std::string& expected) {
  size_t at = 0;
  const size_t common = std::min(actual.size(), expected.size());
  while (at < common && actual[at] == expected[at]) ++at;
  if (at == actual.size() && at == expected.size()) return "";
  // Back to the start of a character of several bytes: the texts agree up to it.
  while (at > 0 && ((at < actual.size() && IsContinuationByte(actual[at])) ||
                     (at < expected.size() && IsContinuationByte(expected[at]))))
    --at;
  size_t line = 1, column = 1, character = 1, lineStart = 0;
  for (size_t i = 0; i < at; ++i) {
    if (IsContinuationByte(actual[i])) continue;
    ++character;
    ++column;
    if (actual[i] == '\n') {
      ++line;
      column = 1;
      lineStart = i + 1;
    }
  }
  const std::string where = "line " + std::to_string(line);
  return "differs at character " + std::to_string(character) + " (" + where + ", column " + std::to_string(column) +
         "):\n    expected " + where + ": " + LineAt(expected, lineStart, at) + "\n    actual   " + where + ": " +
         LineAt(actual, lineStart, at);
}

}  // namespace scenario

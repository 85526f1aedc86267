// SPDX-License-Identifier: Zlib
// Editor scenarios: a text file of input-script lines and expectations (see
// README.md beside this file), run against the real program. This header is
// the scenario's reader and checker; scenario_test.cpp runs the program.
//
//   ParseScenario   the file's lines -> runs: input lines, frames to run,
//                   expectations, changes to saved files between runs
//   ParseDump       a -dumpstate file -> instances, lists, maps, clipboard
//   Evaluate        a reference such as obj_List_Object#0.object.depth -> a value
//   Check           one expectation against what a run left (dumps, pictures,
//                   log, save folder, exit code) -> passed or the actual value
//   NameMatches     a save-folder name against a pattern with one '*'
//   ApplySaveChange a `save` line's change to the files in the save folder
//   FirstDifference where two texts part, for people to read
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "data/PngDecode.h"

namespace scenario {

// A value read from a dump or written in a scenario. Missing is the value of
// a reference that leads nowhere; `text` then says why.
struct Value {
  enum class Kind { Missing, Undefined, Number, String };
  Kind kind = Kind::Missing;
  double number = 0;
  std::string text;

  static Value Number(double d);
  static Value String(std::string s);
  static Value Undefined();
  static Value Missing(std::string why);
  // 512, "text", undefined, or (none: why).
  std::string Describe() const;
};

// What an expectation compares with: a literal, or a reference into the dump.
struct Operand {
  bool isReference = false;
  Value literal;
  std::string reference;
};

enum class Op { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual, Near };

struct Expectation {
  enum class Kind { Value, Count, List, Map, Pixel, Log, NoLog, File, NoFile, Files, Clipboard, Exit, Audio, Work, AnyOf };
  Kind kind = Kind::Value;
  int line = 0;      // in the scenario file, from 1
  std::string text;  // the line as written
  int64_t frame = -1;  // the dump or picture it reads; -1 for log, files and exit
  // Work, and Clipboard compared with another frame's (`clipboard = frame G`):
  // the frame of the dump compared with; -1 otherwise.
  int64_t otherFrame = -1;
  // Value, List, Map: the reference; Count: the object; Log: the text;
  // File, Files: the name or pattern; Clipboard: the file it is compared with
  // ("" when it is compared with `expected`): beside the scenario, or in the
  // save folder when inSaveFolder is set (`clipboard = saved "<name>"`).
  std::string subject;
  bool inSaveFolder = false;
  Op op = Op::Equal;
  Operand expected;                                       // Value, Count, Files, Clipboard
  std::vector<Operand> items;                             // List
  std::vector<std::pair<std::string, Operand>> entries;   // Map
  int x = 0, y = 0;                                       // Pixel
  int rgb[3] = {0, 0, 0};                                 // Pixel
  int exitCode = 0;                                       // Exit
  // Audio: `what` is count, plays, device, samples, level, peak, voice or
  // sound; `selector` the sound a count counts ("" for all), the voice
  // (a handle or a reference) or the sound whose one voice is read; `field`
  // what is read of that voice (handle, sound, name, state, gain, position).
  std::string audioWhat, audioSelector, audioField;
  // AnyOf (an `either` ... `or` ... `end` group): it holds when every
  // expectation of one of the alternatives holds.
  std::vector<std::vector<Expectation>> alternatives;
};

// A change to the saved files between two runs, as a damaged disk or a copy
// from another machine would make it.
struct SaveChange {
  enum class Kind { Flip, Cut, Delete, Retag, Copy };
  Kind kind = Kind::Flip;
  int line = 0;
  std::string text;      // the line as written
  std::string name;      // in the save folder; one '*' may stand for any run of characters
  int64_t number = 0;    // Flip: the byte's offset (negative: from the end); Cut: the length left
  std::string from;      // Copy: the file copied in, relative to the scenario's folder
  bool fromSaveFolder = false;  // Copy: `from saved`: `from` is a name in the save folder (no '*')
};

// One run of the program, from its start to its end.
struct Run {
  int number = 1;     // from 1
  int firstLine = 0;  // the `restart` line that starts it; 0 for the first run
  std::vector<std::string> inputLines;  // handed to -playback as they are
  int64_t framesToRun = 0;              // `run N`, else the greatest frame named + 2
  std::vector<Expectation> expectations;
  bool expectsExit = false;  // an `expect exit` line replaces the default (exit code 0)
  // The `save` lines written among this run's lines: applied in order after
  // this run ends, before the next one starts.
  std::vector<SaveChange> changesAfter;
  // `audio loopback`: the run mixes its sound on the loopback device instead
  // of running without sound; `audio stall F MS` lines (frame, milliseconds).
  bool audioLoopback = false;
  std::vector<std::pair<int64_t, int>> audioStalls;
  // `failsave N`: the run starts with -failsave N, so that the save folder's
  // file step N and every later one fail (0: none).
  int64_t failSaveStep = 0;
  // `open "<path>"`: the file the program is started with, to open (a path
  // relative to the scenario's folder, or absolute); empty for none.
  std::string openFile;

  // The program's options for this run beyond those every run gets: its
  // sound (-noaudio, or -audio loopback with an -audiostall F MS per stall),
  // then -failsave N for a `failsave` line.
  std::vector<std::string> ProgramArguments() const;

  std::set<int64_t> DumpFrames() const;
  std::set<int64_t> PictureFrames() const;
};

// The lines before the first `restart` are the first run, whose members the
// scenario holds itself (a one-run scenario is read like a Run); each
// `restart` starts one of laterRuns, with the same save folder.
struct Scenario : Run {
  std::vector<Run> laterRuns;

  // Every run in order, the first one first.
  std::vector<const Run*> Runs() const;
};

// Reads a scenario. Every line that cannot be read adds "line N: <why>: <line>"
// to *errors; false when there is any.
bool ParseScenario(const std::string& text, Scenario* scenario, std::vector<std::string>* errors);

// A state dump read back (see runtime/run/StateDump.h for its layout).
struct DumpInstance {
  std::string object;
  int64_t id = 0;
  std::map<std::string, Value> fields;     // object, id, depth, x, y, image_angle, sprite_index, mask_index
  std::map<std::string, Value> variables;  // user variables by name
};
struct Dump {
  int64_t frame = -1;
  Value clipboard;  // a String, Undefined when never set, Missing in a dump without one
  Value cursor;     // the shape the frame showed ("arrow", "none", "hand", ...), the reference `cursor`
  std::vector<DumpInstance> instances;  // in the room's order
  std::map<std::string, std::vector<Value>> lists;                             // by handle text
  std::map<std::string, std::vector<std::pair<std::string, Value>>> maps;      // by handle text, entries in order
  // The "audio" member: device, plays, samples, level, peak (those present),
  // and the active voices, each by its members (handle, sound, name, state,
  // gain, position). hasAudio is false for a dump without one.
  bool hasAudio = false;
  std::map<std::string, Value> audio;
  std::vector<std::map<std::string, Value>> voices;

  const DumpInstance* FindId(int64_t id) const;
  // The live instances of an object, by ascending id.
  std::vector<const DumpInstance*> OfObject(const std::string& object) const;
};
bool ParseDump(const std::string& json, Dump* dump, std::string* error);

// The editor's work in a dump as one text, for `expect F work = G`: the frames
// in strip order (whether each is active, and its records in layer order), then
// the canvas parts in layer order (whether each is chosen, and the values its
// record would hold). Instance ids and map handles are left out, since an
// undo may rebuild instances; numbers are written with six decimals. False,
// with *why, when the dump does not hold what the text is made of.
bool WorkText(const Dump& dump, std::string* text, std::string* why);

// A reference's value in a dump. A user variable wins over the built-in field
// of the same name (so obj_List_Object#0.object is the row's `object` variable).
Value Evaluate(const Dump& dump, const std::string& reference);
Value Resolve(const Dump& dump, const Operand& operand);
// Whether `actual op expected` holds: numbers equal within 1e-6, strings
// exactly; a Missing value never satisfies anything.
bool Compare(const Value& actual, Op op, const Value& expected);

// Everything a run of the program left behind.
struct RunResult {
  int exitCode = 0;
  std::string log;         // the -output file
  std::string saveFolder;  // the game's save folder (with a trailing '/'), "" when unknown
  std::string scenarioFolder;  // where the scenario file lies (with a trailing '/'): files it names are read from there
  std::map<int64_t, Dump> dumps;
  std::map<int64_t, DecodedImage> pictures;
  std::map<int64_t, std::string> unreadable;  // frame -> why its dump or picture could not be read
};

struct Outcome {
  bool passed = false;
  std::string actual;  // what was found, for the failure message
};
Outcome Check(const Expectation& expectation, const RunResult& run);

// Names in the save folder use '/' between folders. A pattern may hold one
// '*', which stands for any run of characters (none included) other than '/'.
bool NameMatches(const std::string& pattern, const std::string& name);
// The regular files under a folder, by their names relative to it, sorted.
std::vector<std::string> FilesUnder(const std::string& folder);
// Those of FilesUnder(folder) that the pattern matches.
std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& pattern);

// Applies a change to the files in the save folder (with a trailing '/');
// scenarioFolder is where a copied file is read from. The name must match
// exactly one file (Copy: it names the new file and holds no '*'). On success
// *report says what was done; otherwise it says why nothing was.
bool ApplySaveChange(const SaveChange& change, const std::string& saveFolder, const std::string& scenarioFolder,
                     std::string* report);

// "" when the texts are the same; otherwise where they part: the character's
// position (from 1) with its line and column, then that line of each text,
// quoted with tabs and other control characters shown as escapes.
std::string FirstDifference(const std::string& actual, const std::string& expected);

}  // namespace scenario

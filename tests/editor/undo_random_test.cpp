// SPDX-License-Identifier: Zlib
// Undo and redo over a long random session of the real program, headless.
// A seeded generator makes 200 edits, each one undo step, through the mouse
// and keys as a user would: placing parts, choosing them on the canvas or in
// the object list and dragging them, typing values, the animate checkbox,
// colours, the layer buttons, Delete, and frames made, shown, moved and
// deleted. After every edit, undo and redo the program exports, and the
// export's text in the debug log is the witness of the work (every frame's
// records, in strip order):
//   - each edit's export is what the generator's model of the editor says,
//     so a click the model placed wrongly shows as such and not as an undo
//     fault;
//   - 200 undos bring back, one by one, the exports after edits 199 .. 0 (the
//     empty editor), and 200 redos those after edits 1 .. 200;
//   - 100 edits more and the history holds only the newest 200 steps: undoing
//     as far as it goes shows the export after edit 100, and one more undo
//     changes nothing.
// The same generator makes the figures of the round-trip test: every export
// of a random session, opened again by dropping its file onto the window,
// exports to the same text, byte for byte.
// The seed is fixed; UNDO_RANDOM_SEED runs another one. Every failure names it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ChildProgram.h"
#include "TempFolder.h"

namespace {

const std::string kProgram = MOBWRIGHT_PROGRAM;
// About 12 s of one core; the sanitizer build is some ten times slower.
#ifndef UNDO_RANDOM_SECONDS
#define UNDO_RANDOM_SECONDS 120
#endif
constexpr unsigned kDefaultSeed = 20240611;
constexpr int kMaxParts = 30;
constexpr int kMaxFrames = 8;
constexpr int kWhite = 16777215;

// The colour selectors: where they are and the colour each stands for.
struct Swatch {
  int x, y, colour;
};
const Swatch kSwatches[] = {{864, 120, 12596200}, {928, 120, 1533439},  {992, 120, 597997},
                            {864, 164, 2621317},  {928, 164, 14757031}, {992, 164, 2487551}};

// Parts stand on a grid of 6 x 6 spots 100 pixels apart inside the canvas: a
// click on one part's centre is never on another part's circle (32 pixels)
// nor on the knobs of the chosen part (at most 95 pixels from its centre).
constexpr int kGrid = 6;
int SpotX(int spot) { return 262 + 100 * (spot % kGrid); }
int SpotY(int spot) { return 198 + 100 * (spot / kGrid); }

struct Part {
  int id = 0;
  int spot = 0;
  double xScale = 0.5, yScale = 0.5, alpha = 1;
  int rot = 0;
  bool animate = false;
  int swatch = -1;  // kSwatches index; -1 white
};

// What the generator knows of the editor.
struct Model {
  std::vector<Part> canvas;               // layer order, back first
  std::vector<std::vector<Part>> frames;  // strip order; the active one follows the canvas
  int active = -1;                        // the active frame
  int chosen = -1;                        // id of the chosen part
  bool shapeOn = false;                   // the shape selector at (128, 128)
  int swatchOn = -1;                      // the colour selector that is on
  int nextId = 1;
};

// The input script: one action at a time, each followed by 3 quiet frames.
class Script {
 public:
  std::string text;
  int frame = 5;
  int exports = 0;

  void Move(int x, int y) { Line("move " + std::to_string(x) + " " + std::to_string(y)); }
  void Click(int x, int y) {
    Move(x, y);
    Line("click left");
    Quiet();
  }
  void Key(const std::string& key) {
    Line("keydown " + key);
    Line("keyup " + key);
    Quiet();
  }
  void Control(const std::string& key) {
    Line("keydown control");
    Line("keydown " + key);
    Line("keyup " + key);
    Line("keyup control");
    Quiet();
  }
  void Drag(int fromX, int fromY, int toX, int toY) {
    Move(fromX, fromY);
    Line("press left");
    for (int i = 1; i <= 3; ++i) Move(fromX + (toX - fromX) * i / 3, fromY + (toY - fromY) * i / 3);
    Line("release left");
    Quiet();
  }
  void Type(const std::string& typed) {
    Line("type \"" + typed + "\"");
    Key("enter");
  }
  void Export() {
    Click(95, 502);
    ++exports;
  }
  void Drop(const std::string& path) {
    Line("drop \"" + path + "\"");
    Quiet();
  }

 private:
  void Line(const std::string& event) { text += std::to_string(frame++) + " " + event + "\n"; }
  void Quiet() { frame += 3; }
};

std::string Number(double v) {
  long long whole = static_cast<long long>(v);
  if (static_cast<double>(whole) == v) return std::to_string(whole);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return buffer;
}

// The export the editor writes for the model's frames.
std::string ExportText(const Model& m) {
  std::string t = "switch floor(frame) { \n";
  for (size_t i = 0; i < m.frames.size(); ++i) {
    t += "\tcase " + std::to_string(i) + ":\n";
    for (const Part& p : m.frames[i]) {
      std::string xd = Number(SpotX(p.spot) - 512), yd = Number(SpotY(p.spot) - 448);
      std::string rest =
          ", xScale * " + Number(p.xScale) + ", yScale * " + Number(p.yScale) + ", rot + (" + Number(p.rot) + "), ";
      std::string colour = std::to_string(p.swatch < 0 ? kWhite : kSwatches[p.swatch].colour);
      std::string alpha = ", alpha * " + Number(p.alpha) + ");\n";
      std::string head = p.animate ? ", subImage, x + (xScale * (" : ", 0, x + (xScale * (";
      t += "\t\t draw_sprite_ext(spr_shape_2_back" + head + xd + ")), y + " +
           (p.animate ? " (yScale * (" : "(yScale *(") + yd + "))" + rest + "c_white" + alpha;
      t += "\t\t draw_sprite_ext(spr_shape_2_outline" + head + xd + ")), y + " +
           (p.animate ? "( yScale * (" : "(yScale *(") + yd + "))" + rest + colour + alpha + "\n";
    }
    t += "\tbreak;\n";
  }
  return t + "}\n";
}

// Makes random edits that surely change the work, keeping the model in step.
class Generator {
 public:
  Generator(unsigned seed, Script* script) : random_(seed), s_(*script) {}
  Model m;

  // One edit; returns what it did. A visible edit changes the export (no
  // frame shown or moved, which change only the canvas and the strip).
  std::string Edit(bool visible = false) {
    static const int kWeights[] = {3, 2, 3, 2, 2, 2, 1, 1, 1, 1};
    for (;;) {
      int kind = 0;
      if (m.active < 0) {
        // With no active frame a canvas edit would not show in the export:
        // the next edit makes a frame, shows one or deletes one.
        kind = Pick(2) ? 6 : visible ? 8 : 7;
      } else {
        for (int pick = Pick(18); pick >= kWeights[kind]; ++kind) pick -= kWeights[kind];
        if (visible && (kind == 7 || kind == 9)) continue;
      }
      std::string done = Try(kind);
      if (!done.empty()) {
        if (m.active >= 0) m.frames[m.active] = m.canvas;
        return done;
      }
    }
  }

  // Leaves no part chosen, the shape selector and every colour selector off,
  // whatever undo and redo left: clicks that change no work.
  void Settle() {
    s_.Click(96, 192);  // another shape selector, never used: on, then off
    s_.Click(96, 192);
    s_.Click(kSwatches[0].x, kSwatches[0].y);  // on or off, then the second on and off
    s_.Click(kSwatches[1].x, kSwatches[1].y);
    s_.Click(kSwatches[1].x, kSwatches[1].y);
    m.chosen = -1;
    m.shapeOn = false;
    m.swatchOn = -1;
  }

 private:
  int Pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  // A free spot, one in the same row (axis 1) or column (axis 2) as `spot`
  // when asked; -1 when there is none.
  int FreeSpot(int spot = -1, int axis = 0) {
    std::vector<int> free;
    for (int s = 0; s < kGrid * kGrid; ++s) {
      bool taken = false;
      for (const Part& p : m.canvas) taken = taken || p.spot == s;
      if (taken || (axis == 1 && s / kGrid != spot / kGrid) || (axis == 2 && s % kGrid != spot % kGrid)) continue;
      free.push_back(s);
    }
    return free.empty() ? -1 : free[Pick(static_cast<int>(free.size()))];
  }
  int RowY(int index) const { return 296 + static_cast<int>(m.canvas.size() - index) * 15; }

  // Chooses a random part (on the canvas or by its row; not a step) and
  // returns its index, or -1 without parts.
  int Choose() {
    if (m.canvas.empty()) return -1;
    int i = Pick(static_cast<int>(m.canvas.size()));
    Part& p = m.canvas[i];
    if (m.chosen != p.id) {
      // With the shape selector on a click on the canvas would place a part.
      if (!m.shapeOn && Pick(2))
        s_.Click(SpotX(p.spot), SpotY(p.spot));
      else
        s_.Click(880, RowY(i));
      m.chosen = p.id;
      m.shapeOn = false;
      m.swatchOn = p.swatch;
    }
    return i;
  }

  std::string Where(const Part& p) const {
    return "part " + std::to_string(p.id) + " at (" + std::to_string(SpotX(p.spot)) + ", " +
           std::to_string(SpotY(p.spot)) + ")";
  }

  // The edit of the kind, or "" when it cannot be made now.
  std::string Try(int kind) {
    int n = static_cast<int>(m.canvas.size());
    int frames = static_cast<int>(m.frames.size());
    switch (kind) {
      case 0: {  // place a part
        // Fewer placements the fuller the canvas: it stays about half full.
        int spot = FreeSpot();
        if (n >= kMaxParts || spot < 0 || Pick(kMaxParts) < n) return "";
        if (!m.shapeOn) s_.Click(128, 128);
        m.shapeOn = true;
        m.chosen = -1;
        s_.Click(SpotX(spot), SpotY(spot));
        Part p;
        p.id = m.nextId++;
        p.spot = spot;
        p.swatch = m.swatchOn;
        m.canvas.push_back(p);
        return "place " + Where(p);
      }
      case 1: {  // drag the chosen part to a free spot
        int spot = FreeSpot();
        int i = spot < 0 ? -1 : Choose();
        if (i < 0) return "";
        Part& p = m.canvas[i];
        s_.Drag(SpotX(p.spot), SpotY(p.spot), SpotX(spot), SpotY(spot));
        std::string from = Where(p);
        p.spot = spot;
        return "drag " + from + " to " + Where(p);
      }
      case 2: {  // a value typed into a text box
        int i = Choose();
        if (i < 0) return "";
        Part& p = m.canvas[i];
        static const double kScales[] = {0.25, 0.4, 0.5, 0.75, 1, -0.5};
        static const double kAlphas[] = {0.2, 0.35, 0.5, 0.8, 1};
        static const int kRotations[] = {0, 30, 45, 90, 180, 270, 315};
        int box = Pick(6);
        std::string typed;
        if (box < 2) {  // X Dif or Y Dif: to a free spot in the part's row or column
          int spot = FreeSpot(p.spot, box + 1);
          if (spot < 0) return "";
          typed = box == 0 ? Number(SpotX(spot) - 512) : Number(SpotY(spot) - 448);
          p.spot = spot;
        } else if (box < 4) {
          double& scale = box == 2 ? p.xScale : p.yScale;
          double v = kScales[Pick(6)];
          if (v == scale) return "";
          scale = v;
          typed = Number(v);
        } else if (box == 4) {
          int v = kRotations[Pick(7)];
          if (v == p.rot) return "";
          p.rot = v;
          typed = Number(v);
        } else {
          double v = kAlphas[Pick(5)];
          if (v == p.alpha) return "";
          p.alpha = v;
          typed = Number(v);
        }
        static const int kBoxX[] = {899, 899, 999, 999, 899, 999}, kBoxY[] = {208, 235, 207, 235, 263, 262};
        static const char* const kBoxName[] = {"X Dif", "Y Dif", "X Scale", "Y Scale", "Rotation", "Alpha"};
        s_.Click(kBoxX[box], kBoxY[box]);
        s_.Type(typed);
        return std::string(kBoxName[box]) + " " + typed + " for " + Where(p);
      }
      case 3: {  // the animate checkbox or a colour
        int i = Choose();
        if (i < 0) return "";
        Part& p = m.canvas[i];
        if (Pick(2)) {
          s_.Click(950, 275);
          p.animate = !p.animate;
          return "animate " + Where(p);
        }
        // The chosen part's colour is on: a click on it turns it off (white).
        int swatch = Pick(6);
        s_.Click(kSwatches[swatch].x, kSwatches[swatch].y);
        p.swatch = m.swatchOn = swatch == m.swatchOn ? -1 : swatch;
        return "colour " + std::to_string(p.swatch) + " for " + Where(p);
      }
      case 4: {  // a layer button that changes the order
        int i = n < 2 ? -1 : Choose();
        if (i < 0) return "";
        Part p = m.canvas[i];
        int button = Pick(4);  // Top, Up, Down, Bottom
        if ((button < 2 && i == n - 1) || (button >= 2 && i == 0)) return "";
        static const int kButtonY[] = {471, 503, 534, 565};
        static const char* const kButtonName[] = {"Top", "Up", "Down", "Bottom"};
        s_.Click(1005, kButtonY[button]);
        int to = button == 0 ? n - 1 : button == 1 ? i + 1 : button == 2 ? i - 1 : 0;
        m.canvas.erase(m.canvas.begin() + i);
        m.canvas.insert(m.canvas.begin() + to, p);
        return std::string(kButtonName[button]) + " for " + Where(p);
      }
      case 5: {  // Delete of the chosen part
        int i = Choose();
        if (i < 0) return "";
        std::string what = Where(m.canvas[i]);
        s_.Key("delete");
        m.canvas.erase(m.canvas.begin() + i);
        m.chosen = -1;
        return "delete " + what;
      }
      case 6: {  // a new frame of what the canvas shows
        if (frames >= kMaxFrames) return "";
        s_.Click(127 + 116 * frames, 47);
        m.frames.push_back(m.canvas);
        m.active = frames;
        return "new frame " + std::to_string(frames);
      }
      case 7: {  // another frame shown: the canvas is made again from it
        int f = frames == 0 ? -1 : Pick(frames);
        if (f < 0 || f == m.active) return "";
        s_.Click(127 + 116 * f, 47);
        m.active = f;
        m.canvas = m.frames[f];
        m.chosen = -1;
        return "show frame " + std::to_string(f);
      }
      case 8: {  // a frame deleted; the canvas stays
        if (frames == 0) return "";
        int f = Pick(frames);
        s_.Click(177 + 116 * f, 6);
        m.frames.erase(m.frames.begin() + f);
        if (m.active == f)
          m.active = -1;
        else if (m.active > f)
          --m.active;
        return "delete frame " + std::to_string(f);
      }
      case 9: {  // the active frame moved right or left
        int way = Pick(2) ? 1 : -1;
        int to = m.active + way;
        if (m.active < 0 || to < 0 || to >= frames) return "";
        s_.Click(37, way > 0 ? 47 : 79);
        std::swap(m.frames[m.active], m.frames[to]);
        m.active = to;
        return std::string("move frame ") + (way > 0 ? "right" : "left");
      }
    }
    return "";
  }

  std::mt19937 random_;
  Script& s_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The export texts in the debug log, in order: each follows its message box.
std::vector<std::string> Exports(const std::string& log) {
  const std::string box = "Copied To Clipboard! (Ctr + V to paste)\n";
  std::vector<std::string> texts;
  for (size_t at = log.find(box); at != std::string::npos; at = log.find(box, at + 1)) {
    size_t begin = at + box.size();
    size_t end = log.find("\n}\n", begin);
    if (end == std::string::npos) break;
    texts.push_back(log.substr(begin, end + 3 - begin));
  }
  return texts;
}

// Where two texts part: the line of each.
std::string Difference(const std::string& expected, const std::string& found) {
  size_t at = 0, line = 1, start = 0;
  while (at < expected.size() && at < found.size() && expected[at] == found[at]) {
    if (expected[at++] == '\n') {
      ++line;
      start = at;
    }
  }
  auto lineOf = [&](const std::string& t) { return t.substr(start, t.find('\n', start) - start); };
  return "line " + std::to_string(line) + "\n  expected: " + lineOf(expected) + "\n  found:    " + lineOf(found);
}

unsigned Seed() {
  const char* chosen = std::getenv("UNDO_RANDOM_SEED");
  return chosen ? static_cast<unsigned>(std::strtoul(chosen, nullptr, 10)) : kDefaultSeed;
}

// Runs the program headless on an input script in `folder`; its debug log.
std::string RunScript(const std::string& folder, const Script& script, const std::string& name) {
  std::ofstream(folder + name + ".txt") << script.text;
  pid_t child = ChildProgram_Start({kProgram, "-headless", "-noaudio", "-nowait", "-frames", std::to_string(script.frame + 2),
                                    "-playback", folder + name + ".txt", "-output", folder + name + "_log.txt"},
                                   {{"XDG_DATA_HOME", folder + "save"}}, folder + name + "_output.txt");
  EXPECT_GT(child, 0);
  if (child <= 0) return "";
  EXPECT_EQ(ChildProgram_WaitAtMost(child, UNDO_RANDOM_SECONDS), 0) << ReadFile(folder + name + "_output.txt");
  return ReadFile(folder + name + "_log.txt");
}

TEST(UndoRandom, TwoHundredEditsUndoneRedoneAndTheOldestDropped) {
  const unsigned seed = Seed();
  SCOPED_TRACE("seed " + std::to_string(seed) + " (UNDO_RANDOM_SEED)");

  // The script, and for every export the text the model expects (edits) or
  // the index of the earlier export it must equal (undo, redo).
  Script script;
  Generator generator(seed, &script);
  std::vector<std::string> what = {"start"};
  std::vector<std::string> model = {ExportText(generator.m)};
  std::vector<int> same = {-1};
  script.Export();
  auto edit = [&](int number) {
    what.push_back("edit " + std::to_string(number) + ": " + generator.Edit(number == 100));
    model.push_back(ExportText(generator.m));
    same.push_back(-1);
    script.Export();
  };
  auto back = [&](const std::string& key, const std::string& name, int equals) {
    script.Control(key);
    what.push_back(name);
    model.push_back("");
    same.push_back(equals);
    script.Export();
  };
  // Edit 100 shows in the export, so that an undo past it would be seen.
  for (int k = 1; k <= 200; ++k) edit(k);
  for (int k = 1; k <= 200; ++k) back("z", "undo " + std::to_string(k), 200 - k);
  for (int k = 1; k <= 200; ++k) back("y", "redo " + std::to_string(k), k);
  generator.Settle();
  for (int k = 201; k <= 300; ++k) edit(k);
  // Edit k's export is export k for k <= 200, export 400 + k after.
  for (int k = 1; k <= 200; ++k) {
    int to = 300 - k;
    back("z", "undo " + std::to_string(k) + " after edit 300", to > 200 ? 400 + to : to);
  }
  back("z", "one undo past the oldest step kept", 100);

  TempFolder temporary("mobwright_undo_random_test");
  ASSERT_FALSE(temporary.Path().empty());
  const std::string log = RunScript(temporary.Path(), script, "input");
  EXPECT_EQ(log.find("[message box] Error"), std::string::npos);
  std::vector<std::string> texts = Exports(log);
  ASSERT_EQ(texts.size(), static_cast<size_t>(script.exports)) << "exports in the log";
  EXPECT_NE(texts[99], texts[100]);

  // The first few mismatches of each kind tell enough; after a lost step all
  // would differ.
  int failures[2] = {0, 0};
  for (size_t i = 0; i < texts.size(); ++i) {
    bool edit = same[i] < 0;
    const std::string& expected = edit ? model[i] : texts[same[i]];
    if (texts[i] == expected || failures[edit]++ >= 5) continue;
    ADD_FAILURE() << "export " << i << " after " << what[i] << ": "
                  << (edit ? "not what the model of the editor expects" : "not the export after " + what[same[i]])
                  << ", " << Difference(expected, texts[i]);
  }
  if (::testing::Test::HasFailure()) {
    // The script and the log stay for a look (the temporary folder goes).
    std::string kept = TempFolder_Make("mobwright_undo_random_failed");
    std::ofstream(kept + "/input.txt") << script.text;
    std::ofstream(kept + "/log.txt") << log;
    ADD_FAILURE() << "input script and log kept in " << kept;
  }
}

// The generator places shape 2 only (its knobs and circles keep the grid's
// clicks apart); a figure's parts are given each of the game's eleven shapes
// in turn by their sprite names, so that every shape is read back by name.
std::string WithEveryShape(const std::string& text, size_t figure) {
  std::string out;
  size_t shape = figure, from = 0;
  for (size_t at; (at = text.find("spr_shape_2_", from)) != std::string::npos; from = at + 12) {
    if (text.compare(at + 12, 4, "back") == 0) shape = shape % 11 + 1;  // a fill starts the next part
    out += text.substr(from, at - from) + "spr_shape_" + std::to_string(shape) + "_";
  }
  return out + text.substr(from);
}

// Every distinct export of a random session of 300 edits (1 to 8 frames, 0 to
// 30 parts, typed offsets, mirroring scales, angles and alphas, colours,
// animating parts), its parts given every shape in turn, is written to a
// file; a second run drops each file onto the window and exports: the text
// is the file's, byte for byte.
TEST(RoundTrip, RandomFiguresOpenAndExportTheSameText) {
  const unsigned seed = Seed();
  SCOPED_TRACE("seed " + std::to_string(seed) + " (UNDO_RANDOM_SEED)");
  TempFolder temporary("mobwright_round_trip_test");
  ASSERT_FALSE(temporary.Path().empty());
  const std::string folder = temporary.Path();

  Script making;
  Generator generator(seed, &making);
  for (int k = 1; k <= 300; ++k) {
    generator.Edit();
    making.Export();
  }
  std::vector<std::string> figures;
  for (const std::string& text : Exports(RunScript(folder, making, "making")))
    if (std::find(figures.begin(), figures.end(), text) == figures.end()) figures.push_back(text);
  ASSERT_GE(figures.size(), 200u) << "distinct figures made";
  for (size_t i = 0; i < figures.size(); ++i) figures[i] = WithEveryShape(figures[i], i);
  std::printf("%zu random figures opened and exported again\n", figures.size());

  Script opening;
  for (size_t i = 0; i < figures.size(); ++i) {
    const std::string file = folder + "figure_" + std::to_string(i) + ".ksl";
    std::ofstream(file) << figures[i];
    opening.Drop(file);
    opening.Export();
  }
  const std::string log = RunScript(folder, opening, "opening");
  EXPECT_EQ(log.find("was not opened"), std::string::npos);
  const std::vector<std::string> again = Exports(log);
  ASSERT_EQ(again.size(), figures.size()) << "exports after opening";
  int failures = 0;
  for (size_t i = 0; i < figures.size() && failures < 5; ++i)
    if (again[i] != figures[i]) {
      ++failures;
      ADD_FAILURE() << "figure " << i << " opened and exported: " << Difference(figures[i], again[i]);
    }
}

}  // namespace

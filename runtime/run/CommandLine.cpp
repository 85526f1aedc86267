// SPDX-License-Identifier: Zlib
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "run/Runner.h"

namespace {

bool ParseInteger(const char* text, int64_t* value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text, &end, 10);
  if (*end != '\0' || errno == ERANGE) return false;  // past the greatest number: refused, not clamped
  *value = v;
  return true;
}

}  // namespace

bool Runner_ParseCommandLine(int argc, const char* const* argv, RunnerOptions* options, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        *error = std::string("option ") + name + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    if (std::strcmp(arg, "--version") == 0) {
      options->showVersion = true;
    } else if (std::strcmp(arg, "--export-sheet") == 0) {
      const char* file = value(arg);
      if (!file) return false;
      const char* folder = value(arg);
      if (!folder) return false;
      options->sheetFile = file;
      options->sheetFolder = folder;
    } else if (std::strcmp(arg, "--scale") == 0) {
      const char* v = value(arg);
      int64_t factor;
      if (!v) return false;
      if (!ParseInteger(v, &factor) || factor < 1 || factor > 8) {
        *error = std::string("--scale takes a whole factor from 1 to 8, not '") + v + "'";
        return false;
      }
      options->sheetScale = static_cast<int>(factor);
      options->sheetScaleGiven = true;
    } else if (std::strcmp(arg, "--speed") == 0) {
      const char* v = value(arg);
      if (!v) return false;
      char* end = nullptr;
      errno = 0;
      const double speed = std::strtod(v, &end);
      // Figure frames a step: above 0, and at most 8 frames a step.
      if (*v == '\0' || *end != '\0' || errno == ERANGE || !(speed > 0 && speed <= 8)) {
        *error = std::string("--speed takes figure frames a step, above 0 and at most 8, not '") + v + "'";
        return false;
      }
      options->sheetSpeed = speed;
      options->sheetSpeedGiven = true;
    } else if (std::strcmp(arg, "--example") == 0) {
      // The name is optional: alone, the option lists the examples.
      options->example = true;
      if (i + 1 < argc && argv[i + 1][0] != '-' && argv[i + 1][0] != '\0') options->exampleName = argv[++i];
    } else if (std::strcmp(arg, "-game") == 0) {
      const char* v = value(arg);
      if (!v) return false;
      options->gameFile = v;
    } else if (std::strcmp(arg, "-sleepmargin") == 0) {
      const char* v = value(arg);
      int64_t ms;
      if (!v) return false;
      if (!ParseInteger(v, &ms) || ms < 0 || ms > 1000) {
        *error = std::string("-sleepmargin takes milliseconds from 0 to 1000, not '") + v + "'";
        return false;
      }
      options->hasSleepMargin = true;
      options->sleepMargin = static_cast<int>(ms);
    } else if (std::strcmp(arg, "-scale") == 0) {
      const char* v = value(arg);
      int64_t factor;
      if (!v) return false;
      if (!ParseInteger(v, &factor) || factor < 1 || factor > 8) {
        *error = std::string("-scale takes a whole factor from 1 to 8, not '") + v + "'";
        return false;
      }
      options->scale = static_cast<int>(factor);
    } else if (std::strcmp(arg, "-noaudio") == 0) {
      options->noAudio = true;
    } else if (std::strcmp(arg, "-audio") == 0) {
      const char* v = value(arg);
      if (!v) return false;
      if (std::strcmp(v, "loopback") != 0) {
        *error = std::string("-audio takes 'loopback', not '") + v + "'";
        return false;
      }
      options->audioLoopback = true;
    } else if (std::strcmp(arg, "-audiostall") == 0) {
      const char* frame = value(arg);
      if (!frame) return false;
      const char* ms = value(arg);
      if (!ms) return false;
      AudioStall stall{-1, 0};
      int64_t milliseconds = -1;
      if (!ParseInteger(frame, &stall.frame) || stall.frame < 0 || !ParseInteger(ms, &milliseconds) ||
          milliseconds < 0 || milliseconds > 60000) {
        *error = std::string("-audiostall takes a frame number and milliseconds from 0 to 60000, not '") + frame +
                 " " + ms + "'";
        return false;
      }
      stall.milliseconds = static_cast<int>(milliseconds);
      options->audioStalls.push_back(stall);
    } else if (std::strcmp(arg, "-failsave") == 0) {
      const char* v = value(arg);
      if (!v) return false;
      if (!ParseInteger(v, &options->failSaveStep) || options->failSaveStep < 1) {
        *error = std::string("-failsave takes a step number from 1, not '") + v + "'";
        return false;
      }
    } else if (std::strcmp(arg, "-headless") == 0) {
      options->headless = true;
    } else if (std::strcmp(arg, "-nowait") == 0) {
      options->noWait = true;
    } else if (std::strcmp(arg, "-noerrors") == 0) {
      options->noErrors = true;
    } else if (std::strcmp(arg, "-output") == 0 || std::strcmp(arg, "-debugoutput") == 0) {
      const char* v = value(arg);
      if (!v) return false;
      options->outputFile = v;
    } else if (std::strcmp(arg, "-record") == 0) {
      const char* v = value(arg);
      if (!v) return false;
      options->recordFile = v;
    } else if (std::strcmp(arg, "-playback") == 0) {
      const char* v = value(arg);
      if (!v) return false;
      options->playbackFile = v;
    } else if (std::strcmp(arg, "-exit") == 0) {
      options->exitAfterPlayback = true;
    } else if (std::strcmp(arg, "-frames") == 0) {
      const char* v = value(arg);
      if (!v) return false;
      if (!ParseInteger(v, &options->maxFrames) || options->maxFrames < 0) {
        *error = std::string("-frames takes a frame count, not '") + v + "'";
        return false;
      }
    } else if (std::strcmp(arg, "-screenshot") == 0 || std::strcmp(arg, "-dumpstate") == 0) {
      // Both may be given several times, one frame and file each.
      const char* frame = value(arg);
      if (!frame) return false;
      const char* file = value(arg);
      if (!file) return false;
      FrameFile request{-1, file};
      if (!ParseInteger(frame, &request.frame) || request.frame < 0) {
        *error = std::string(arg) + " takes a frame number and a file, not '" + frame + "'";
        return false;
      }
      (std::strcmp(arg, "-screenshot") == 0 ? options->screenshots : options->stateDumps).push_back(request);
    } else if (arg[0] != '-' && arg[0] != '\0') {
      // One figure at a time: the editor holds one figure, and opening a
      // second would push the first one step back in the history unseen.
      if (!options->openFile.empty()) {
        *error = std::string("one file to open at a time, not both '") + options->openFile + "' and '" + arg + "'";
        return false;
      }
      options->openFile = arg;
    }
    // Anything else is ignored: the options the runner knows but this build
    // does not act on (-debug, -trace, -ext, -oldexec, -inawindow, -dir,
    // -steam, -software, -intel, -audiodebug, -networkdebug, -vanillaGFX,
    // -profiledump, -multivb, -novb, -compresstextures, -manualvsync,
    // -nodirectinput, -nosteamrestart) as well as unknown ones.
  }
  if ((options->sheetScaleGiven || options->sheetSpeedGiven) && options->sheetFile.empty()) {
    *error = "--scale and --speed go with --export-sheet FILE OUTDIR";
    return false;
  }
  return true;
}

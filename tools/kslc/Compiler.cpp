// SPDX-License-Identifier: Zlib
#include "Compiler.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "GeneratedScripts.h"
#include "Parser.h"

namespace kslc {

namespace {

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// Writes only when the content differs, so the build sees no change otherwise.
bool WriteIfChanged(const std::string& path, const std::string& text) {
  std::string old;
  if (ReadFile(path, &old) && old == text) return true;
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    if (!out.flush()) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

// Depfile paths: spaces escaped as make expects.
std::string DepPath(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ' || c == '#') out += '\\';
    if (c == '$') out += '$';
    out += c;
  }
  return out;
}

// A script that kslc writes from the manifest: no file to read or to depend on.
bool IsGenerated(const mob::Manifest& manifest, size_t code) {
  const mob::ManifestCode& c = manifest.code[code];
  return c.kind == mob::ManifestCodeKind::Script && !manifest.scripts[c.owner].generated.empty();
}

}  // namespace

bool CompileSources(const mob::Manifest& manifest, const std::vector<std::string>& sources,
                    const GenerateOptions& options, std::vector<GeneratedFile>* files, Diagnostics& diagnostics) {
  std::vector<Program> programs;
  programs.reserve(manifest.code.size());
  for (size_t i = 0; i < manifest.code.size(); ++i)
    programs.push_back(Parse(manifest.code[i].file, i < sources.size() ? sources[i] : "", diagnostics));
  if (diagnostics.HasErrors()) return false;
  return GenerateGame(manifest, programs, options, files, diagnostics);
}

int Compile(const CompileRequest& request, std::string* messages) {
  mob::Manifest manifest;
  std::string error;
  if (!mob::Manifest_Load(request.manifestPath, &manifest, &error)) {
    *messages += error + "\n";
    return 1;
  }
  Diagnostics diagnostics;
  std::vector<std::string> sources(manifest.code.size());
  bool missing = false;
  for (size_t i = 0; i < manifest.code.size(); ++i) {
    if (IsGenerated(manifest, i)) {
      sources[i] = GeneratedScriptSource(manifest, manifest.scripts[manifest.code[i].owner]);
      continue;
    }
    if (!ReadFile(manifest.Resolve(manifest.code[i].file), &sources[i])) {
      *messages += manifest.Resolve(manifest.code[i].file) + ": error: cannot read the source of " +
                   manifest.code[i].functionName + "\n";
      missing = true;
    }
  }
  if (missing) return 1;

  std::vector<GeneratedFile> files;
  if (!CompileSources(manifest, sources, request.generate, &files, diagnostics)) {
    for (const Diagnostic& d : diagnostics.All()) {
      const std::string* source = nullptr;
      for (size_t i = 0; i < manifest.code.size(); ++i)
        if (manifest.code[i].file == d.file) source = &sources[i];
      Diagnostic shown = d;
      shown.file = manifest.Resolve(d.file);
      *messages += Diagnostics::Format(shown, source);
    }
    if (diagnostics.Full()) *messages += "too many errors; stopping\n";
    return 1;
  }

  for (const GeneratedFile& f : files) {
    std::string path = request.outputDir + "/" + f.name;
    if (!WriteIfChanged(path, f.text)) {
      *messages += path + ": error: cannot write the generated file\n";
      return 1;
    }
  }
  if (!request.depfile.empty()) {
    std::string dep = DepPath(request.outputDir + "/" + files.front().name) + ":";
    dep += " " + DepPath(request.manifestPath);
    for (size_t i = 0; i < manifest.code.size(); ++i)
      if (!IsGenerated(manifest, i)) dep += " \\\n  " + DepPath(manifest.Resolve(manifest.code[i].file));
    dep += "\n";
    if (!WriteIfChanged(request.depfile, dep)) {
      *messages += request.depfile + ": error: cannot write the depfile\n";
      return 1;
    }
  }
  return 0;
}

}  // namespace kslc

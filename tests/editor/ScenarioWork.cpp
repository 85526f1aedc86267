// SPDX-License-Identifier: Zlib
// The editor's work read out of a state dump as one text (WorkText), so that
// a scenario can say that an undo brought back exactly what an earlier frame
// showed: `expect F work = G`.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Scenario.h"

namespace scenario {

namespace {

std::string Number(const Value& v) {
  if (v.kind == Value::Kind::String) return "\"" + v.text + "\"";
  if (v.kind != Value::Kind::Number) return v.Describe();
  char text[64];
  // Six decimals hide the last bits that an offset taken back from a room
  // position may differ in; -0 reads as 0.
  double rounded = std::round(v.number * 1e6) / 1e6;
  std::snprintf(text, sizeof text, "%.6f", rounded == 0 ? 0.0 : rounded);
  return text;
}

// The list a variable of an instance holds, by its handle.
const std::vector<Value>* ListOf(const Dump& dump, const DumpInstance& instance, const char* variable,
                                 std::string* why) {
  auto v = instance.variables.find(variable);
  if (v == instance.variables.end() || v->second.kind != Value::Kind::Number) {
    *why = instance.object + "." + variable + " holds no list";
    return nullptr;
  }
  auto list = dump.lists.find(std::to_string(static_cast<int64_t>(v->second.number)));
  if (list == dump.lists.end()) {
    *why = instance.object + "." + variable + " names no list in the dump";
    return nullptr;
  }
  return &list->second;
}

const DumpInstance* InstanceOf(const Dump& dump, const Value& id, std::string* why) {
  const DumpInstance* found = id.kind == Value::Kind::Number ? dump.FindId(static_cast<int64_t>(id.number)) : nullptr;
  if (!found) *why = "no live instance " + id.Describe();
  return found;
}

std::string Variable(const DumpInstance& instance, const char* name) {
  auto v = instance.variables.find(name);
  return v == instance.variables.end() ? "(none)" : Number(v->second);
}

}  // namespace

bool WorkText(const Dump& dump, std::string* text, std::string* why) {
  std::vector<const DumpInstance*> frames = dump.OfObject("con_Frames");
  std::vector<const DumpInstance*> lists = dump.OfObject("con_ObjectList");
  if (frames.empty() || lists.empty()) {
    *why = "the dump holds no con_Frames or con_ObjectList";
    return false;
  }
  const std::vector<Value>* strip = ListOf(dump, *frames[0], "frames", why);
  if (!strip) return false;
  text->clear();
  for (size_t i = 0; i < strip->size(); ++i) {
    const DumpInstance* frame = InstanceOf(dump, (*strip)[i], why);
    if (!frame) return false;
    const std::vector<Value>* records = ListOf(dump, *frame, "object_list", why);
    if (!records) return false;
    *text += "frame " + std::to_string(i + 1) + (Variable(*frame, "active") == Number(Value::Number(1)) ? " (active)" : "") + "\n";
    for (const Value& handle : *records) {
      auto map = dump.maps.find(handle.kind == Value::Kind::Number ? std::to_string(static_cast<int64_t>(handle.number)) : "");
      if (map == dump.maps.end()) {
        *why = "a record of frame " + std::to_string(i + 1) + " is not in the dump";
        return false;
      }
      std::vector<std::pair<std::string, Value>> entries = map->second;
      std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
      *text += "  ";
      for (const auto& [key, value] : entries) *text += key + "=" + Number(value) + " ";
      *text += "\n";
    }
  }
  const std::vector<Value>* rows = ListOf(dump, *lists[0], "object_list", why);
  if (!rows) return false;
  *text += "canvas\n";
  static const char* const kPartVariables[] = {"id_number", "xDif",  "yDif",    "xScale",      "yScale",       "rot",
                                               "color",     "alpha", "animate", "spriteIndex", "outlineIndex", "selected"};
  for (const Value& id : *rows) {
    const DumpInstance* row = InstanceOf(dump, id, why);
    if (!row) return false;
    auto object = row->variables.find("object");
    const DumpInstance* part = object == row->variables.end() ? nullptr : InstanceOf(dump, object->second, why);
    if (!part) return false;
    *text += "  row active=" + Variable(*row, "active");
    for (const char* name : kPartVariables) *text += std::string(" ") + name + "=" + Variable(*part, name);
    *text += "\n";
  }
  return true;
}

}  // namespace scenario

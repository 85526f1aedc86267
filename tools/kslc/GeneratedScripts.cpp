// SPDX-License-Identifier: Zlib
#include "GeneratedScripts.h"

namespace kslc {

std::string GeneratedScriptSource(const mob::Manifest& manifest, const mob::ManifestScript& script) {
  if (script.generated != "shape_names") return "";
  // The manifest's loader allows only lower-case letters and spaces in a
  // name, so it stands in a string literal as it is.
  std::string text = "// " + script.name + "(sprite): written by kslc from the manifest's shape_names.\n";
  for (const mob::ManifestShapeName& n : manifest.shapeNames)
    text += "if (argument0 == " + n.shape + "_back || argument0 == " + n.shape + "_outline) return \"" + n.name +
            "\"\n";
  text += "return \"\"\n";
  return text;
}

}  // namespace kslc

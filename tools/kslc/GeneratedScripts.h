// SPDX-License-Identifier: Zlib
// Scripts whose source kslc writes itself from a table of the manifest
// (a script entry with "generated"), compiled like any other script. This is
// how event code reads data that the manifest holds for the build tools too:
// the data has one place, and the runtime needs no new built-in or chunk.
#pragma once

#include <string>

#include "Manifest.h"

namespace kslc {

// The source text of a generated script; empty for a script with a file.
//   "shape_names": shapeName(sprite) is the plain name of the shape whose
//   fill or outline sprite `sprite` is, "" for any other sprite.
std::string GeneratedScriptSource(const mob::Manifest& manifest, const mob::ManifestScript& script);

}  // namespace kslc

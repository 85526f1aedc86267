// SPDX-License-Identifier: Zlib
// Secure map files: an 80-character machine tag, then the Base64 text of the
// map's JSON text followed by its 0 byte; nothing else, no line breaks. The
// tag ties a file to the machine that wrote it (a file from another machine
// does not load); it is recomputed on every save and load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Length of the machine tag at the start of every file.
constexpr size_t kSecureMapTagLength = 80;
// Files longer than this are not secure map files (the editor's are below a
// kilobyte); the loader refuses them instead of reading them into memory.
constexpr size_t kSecureMapMaxFileBytes = 64u << 20;

// The tag of a machine identifier: five groups of 16 lowercase hexadecimal
// digits, group i being word i of a first SHA-1 digest then word i of a
// second one, each "%08x". Both digests are taken over inputs scrambled from
// the identifier (see SecureMap.cpp).
std::string SecureMap_MachineTag(const std::string& identifier);
// The tag of this machine (Platform_MachineIdentifier), computed on each call.
std::string SecureMap_ThisMachineTag();

// The whole file for a map ("{ }" when the handle holds no map). Caller holds DsMutex().
std::string SecureMap_Encode(int mapHandle, const std::string& tag);
// Checks the tag and decodes the rest into a new map: its handle, or -1 (and
// no map left behind) when the tag differs, the Base64 or the JSON is damaged.
// Caller holds DsMutex().
int SecureMap_Decode(const uint8_t* bytes, size_t size, const std::string& tag);
// The part after the tag only: Base64 text of JSON. Caller holds DsMutex().
int SecureMap_DecodeBody(const uint8_t* body, size_t size);

// ds_map_secure_save / ds_map_secure_load on a file name placed in the save
// area. Save replaces the file atomically and reports nothing; a refused name
// or a failed write leaves the earlier file as it was and returns false. Both
// leave the reason of a failure for file_last_error (library/Files.h).
bool SecureMap_Save(int mapHandle, const char* filename);
int SecureMap_Load(const char* filename);

void SecureMap_RegisterBuiltins();

// SPDX-License-Identifier: Zlib
// The machine identifier that tags secure map files: the system's machine id
// (/etc/machine-id, then /var/lib/dbus/machine-id), or "NOT SUPPORTED" when
// neither can be read. Read once and kept for the process.
#pragma once

#include <string>

const std::string& Platform_MachineIdentifier();

// Reads the identifier from the first readable, non-empty regular file of the
// list (whitespace around it removed; a file far longer than an id is
// skipped); "NOT SUPPORTED" when none gives one.
std::string Platform_ReadMachineIdentifier(const char* const* paths, int count);

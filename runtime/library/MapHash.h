// SPDX-License-Identifier: Zlib
// The key hash of maps: CRC-32 with the reflected polynomial 0xEDB88320, the
// register started at 0xFFFFFFFF and no final complement, taken over a key's
// bytes as its kind says. The hash decides a key's bucket and with it the
// order in which maps are visited, so it must never change.
#pragma once

#include <cstddef>
#include <cstdint>

#include "value/DynValue.h"

// The register after feeding the bytes to it, starting from 0xFFFFFFFF
// ("123456789" gives 0x340BC6D9; no bytes give 0xFFFFFFFF).
uint32_t MapHash_Crc(const void* data, size_t size);

// The hash of a key cell: strings over their bytes up to the NUL; numbers over
// the 8 bytes of the double; int32, int64 and bool as the double of their
// value; array, pointer, object and other reference kinds over the 8 payload
// bytes; undefined 0. An unset cell reports "HASH argument is unset" and gives 0.
uint32_t MapHash_Key(const DynValue* key);

// SPDX-License-Identifier: Zlib
// The audio device: opening an output device and its context, or a loopback
// device that mixes only when asked (tests and benchmarks render it
// themselves, without a sound card). ALBackend.cpp talks to sources and
// buffers through the current context that this file makes.
#pragma once

#include <cstdint>

#include "sound/AudioBackend.h"

// Opens the device and makes its context current. False when no device could
// be opened; the reason is written to the debug console.
bool ALDevice_Open(AudioDeviceKind kind, int loopbackRate);
void ALDevice_Close();
bool ALDevice_IsOpen();
bool ALDevice_IsLoopback();
// Mixes `frames` stereo frames of the loopback device into `out` (2 * frames
// samples). False when the device is not a loopback device.
bool ALDevice_RenderLoopback(int16_t* out, int frames);

// The audio device: opening an output device and its context, or a loopback
// device that mixes only when asked (tests and benchmarks render it
// themselves, without a sound card). Everything else in runtime/sound talks to
// sources and buffers through the current context that this file makes.
#pragma once

#include <cstdint>

enum class AudioDeviceKind {
  System,    // the default output device (OpenAL Soft picks its back end; ALSOFT_DRIVERS=null gives a silent one)
  Loopback,  // mixes on request into memory, at a fixed rate, 16-bit stereo
  None,      // opens nothing, as when the machine has no output device
};

// Opens the device and makes its context current. False when no device could
// be opened; the reason is written to the debug console.
bool ALDevice_Open(AudioDeviceKind kind, int loopbackRate);
void ALDevice_Close();
bool ALDevice_IsOpen();
bool ALDevice_IsLoopback();
// Mixes `frames` stereo frames of the loopback device into `out` (2 * frames
// samples). False when the device is not a loopback device.
bool ALDevice_RenderLoopback(int16_t* out, int frames);

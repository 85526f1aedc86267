// SPDX-License-Identifier: Zlib
// Opening the output device (see ALDevice.h).
#include "sound/openal/ALDevice.h"

#include "sound/openal/ALFunctions.h"

#include "base/Console.h"

namespace {

struct DeviceState {
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  bool loopback = false;
  LPALCRENDERSAMPLESSOFT renderSamples = nullptr;
};
DeviceState g_Device;

ALCdevice* OpenLoopback(int rate, LPALCRENDERSAMPLESSOFT* render, ALCint* attributes) {
  if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
    DebugConsole().Output("Audio: loopback device not supported\n");
    return nullptr;
  }
  auto openLoopback =
      reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  auto isFormatSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
      alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
  *render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  if (!openLoopback || !isFormatSupported || !*render) return nullptr;
  ALCdevice* device = openLoopback(nullptr);
  if (!device) return nullptr;
  if (!isFormatSupported(device, rate, ALC_STEREO_SOFT, ALC_SHORT_SOFT)) {
    alcCloseDevice(device);
    return nullptr;
  }
  ALCint list[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT, ALC_FREQUENCY,
                   rate, 0};
  for (int i = 0; i < 7; ++i) attributes[i] = list[i];
  return device;
}

}  // namespace

bool ALDevice_Open(AudioDeviceKind kind, int loopbackRate) {
  ALDevice_Close();
  if (kind != AudioDeviceKind::None && !ALFunctions_Load()) {
    DebugConsole().Output("Audio: no audio device could be opened\n");
    return false;
  }
  ALCint attributes[7] = {0};
  if (kind == AudioDeviceKind::Loopback) {
    g_Device.device = OpenLoopback(loopbackRate, &g_Device.renderSamples, attributes);
    g_Device.loopback = g_Device.device != nullptr;
  } else if (kind == AudioDeviceKind::System) {
    g_Device.device = alcOpenDevice(nullptr);
  }
  if (!g_Device.device) {
    DebugConsole().Output("Audio: no audio device could be opened\n");
    return false;
  }
  g_Device.context = alcCreateContext(g_Device.device, attributes[0] ? attributes : nullptr);
  if (!g_Device.context || !alcMakeContextCurrent(g_Device.context)) {
    DebugConsole().Output("Audio: could not create the audio context\n");
    ALDevice_Close();
    return false;
  }
  if (g_Device.loopback) {
    DebugConsole().Output("Audio: opened the loopback device (%d Hz)\n", loopbackRate);
  } else {
    const ALCchar* name = alcGetString(g_Device.device, ALC_DEVICE_SPECIFIER);
    DebugConsole().Output("Audio: opened the device \"%s\"\n", name ? name : "");
  }
  // Voices are positioned at the listener; distance plays no part.
  alDistanceModel(AL_NONE);
  alGetError();
  return true;
}

void ALDevice_Close() {
  if (g_Device.context) {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(g_Device.context);
  }
  if (g_Device.device) alcCloseDevice(g_Device.device);
  g_Device = DeviceState{};
}

bool ALDevice_IsOpen() { return g_Device.context != nullptr; }
bool ALDevice_IsLoopback() { return g_Device.loopback && g_Device.context != nullptr; }

bool ALDevice_RenderLoopback(int16_t* out, int frames) {
  if (!ALDevice_IsLoopback() || frames < 0) return false;
  g_Device.renderSamples(g_Device.device, out, frames);
  return true;
}

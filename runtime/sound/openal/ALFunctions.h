// SPDX-License-Identifier: Zlib
// The OpenAL entry points the sound layer calls, reached through pointers
// that ALFunctions_Load fills from the shared library at run time. The
// library (and the sound-server libraries it pulls in) is then loaded only
// when the audio device is opened, on the opener's thread, instead of being
// mapped and relocated before the program's first frame.
//
// Include this header instead of <AL/al.h>: the usual names (alGenSources,
// alcOpenDevice, ...) call through the pointers.
#pragma once

#define AL_NO_PROTOTYPES
#define ALC_NO_PROTOTYPES
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#define MOB_AL_FUNCTIONS(X)                                   \
  X(LPALGETERROR, alGetError)                                 \
  X(LPALSOURCEI, alSourcei)                                   \
  X(LPALSOURCEF, alSourcef)                                   \
  X(LPALSOURCE3F, alSource3f)                                 \
  X(LPALGETSOURCEI, alGetSourcei)                             \
  X(LPALGETSOURCEF, alGetSourcef)                             \
  X(LPALSOURCEPLAY, alSourcePlay)                             \
  X(LPALSOURCESTOP, alSourceStop)                             \
  X(LPALSOURCEPAUSE, alSourcePause)                           \
  X(LPALSOURCEQUEUEBUFFERS, alSourceQueueBuffers)             \
  X(LPALSOURCEUNQUEUEBUFFERS, alSourceUnqueueBuffers)         \
  X(LPALGENSOURCES, alGenSources)                             \
  X(LPALDELETESOURCES, alDeleteSources)                       \
  X(LPALGENBUFFERS, alGenBuffers)                             \
  X(LPALDELETEBUFFERS, alDeleteBuffers)                       \
  X(LPALBUFFERDATA, alBufferData)                             \
  X(LPALDISTANCEMODEL, alDistanceModel)                       \
  X(LPALCOPENDEVICE, alcOpenDevice)                           \
  X(LPALCCLOSEDEVICE, alcCloseDevice)                         \
  X(LPALCCREATECONTEXT, alcCreateContext)                     \
  X(LPALCDESTROYCONTEXT, alcDestroyContext)                   \
  X(LPALCMAKECONTEXTCURRENT, alcMakeContextCurrent)           \
  X(LPALCISEXTENSIONPRESENT, alcIsExtensionPresent)           \
  X(LPALCGETPROCADDRESS, alcGetProcAddress)                   \
  X(LPALCGETSTRING, alcGetString)

// The pointers carry a prefix of their own, so that they never stand in for
// the library's own symbols; the macros below give the usual names.
#define MOB_AL_DECLARE(type, name) extern type mob_##name;
MOB_AL_FUNCTIONS(MOB_AL_DECLARE)
#undef MOB_AL_DECLARE

#define alGetError mob_alGetError
#define alSourcei mob_alSourcei
#define alSourcef mob_alSourcef
#define alSource3f mob_alSource3f
#define alGetSourcei mob_alGetSourcei
#define alGetSourcef mob_alGetSourcef
#define alSourcePlay mob_alSourcePlay
#define alSourceStop mob_alSourceStop
#define alSourcePause mob_alSourcePause
#define alSourceQueueBuffers mob_alSourceQueueBuffers
#define alSourceUnqueueBuffers mob_alSourceUnqueueBuffers
#define alGenSources mob_alGenSources
#define alDeleteSources mob_alDeleteSources
#define alGenBuffers mob_alGenBuffers
#define alDeleteBuffers mob_alDeleteBuffers
#define alBufferData mob_alBufferData
#define alDistanceModel mob_alDistanceModel
#define alcOpenDevice mob_alcOpenDevice
#define alcCloseDevice mob_alcCloseDevice
#define alcCreateContext mob_alcCreateContext
#define alcDestroyContext mob_alcDestroyContext
#define alcMakeContextCurrent mob_alcMakeContextCurrent
#define alcIsExtensionPresent mob_alcIsExtensionPresent
#define alcGetProcAddress mob_alcGetProcAddress
#define alcGetString mob_alcGetString

// Loads the library and every entry point above, once (any thread; later
// calls return the first result). False, with the reason on the debug
// console, when the library or one of its functions is missing.
bool ALFunctions_Load();

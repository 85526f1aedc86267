// SPDX-License-Identifier: Zlib
// The audio built-in functions. Each reads its arguments once and calls the
// operation of Voices.cpp. While sound is disabled ("-noaudio") every one of
// them returns at once and leaves its result cell as the caller gave it.
#include "code/CompiledCode.h"
#include "sound/Audio.h"
#include "value/ArgReaders.h"

namespace {

void SetResult(DynValue& result, double value) { DynValue_SetReal(&result, value); }

void F_audio_play_sound(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  int32_t sound = ZuGetInt32(args, 0);
  double priority = ZuGetReal(args, 1);
  bool loop = ZuGetReal(args, 2) >= 1.0;
  SetResult(result, Audio_PlaySound(sound, priority, loop));
}

void F_audio_is_playing(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  SetResult(result, Audio_IsPlaying(ZuGetInt32(args, 0)) ? 1.0 : 0.0);
}

void F_audio_is_paused(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  SetResult(result, Audio_IsPaused(ZuGetInt32(args, 0)) ? 1.0 : 0.0);
}

void F_audio_pause_sound(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  Audio_PauseSound(ZuGetInt32(args, 0));
}

void F_audio_resume_sound(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  Audio_ResumeSound(ZuGetInt32(args, 0));
}

void F_audio_stop_sound(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  Audio_StopSound(ZuGetInt32(args, 0));
}

void F_audio_stop_all(DynValue&, CInstance*, CInstance*, int, DynValue*) {
  if (Audio_IsDisabled()) return;
  Audio_StopAll();
}

void F_audio_sound_gain(DynValue&, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  int32_t id = ZuGetInt32(args, 0);
  double gain = ZuGetReal(args, 1);
  double time = ZuGetReal(args, 2);
  Audio_SoundGain(id, gain, time);
}

void F_audio_sound_get_gain(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  SetResult(result, Audio_SoundGetGain(ZuGetInt32(args, 0)));
}

void F_audio_sound_get_track_position(DynValue& result, CInstance*, CInstance*, int, DynValue* args) {
  if (Audio_IsDisabled()) return;
  SetResult(result, Audio_SoundGetTrackPosition(ZuGetInt32(args, 0)));
}

}  // namespace

void Audio_RegisterBuiltins() {
  Function_Add("audio_play_sound", F_audio_play_sound, 3, true);
  Function_Add("audio_is_playing", F_audio_is_playing, 1, true);
  Function_Add("audio_is_paused", F_audio_is_paused, 1, true);
  Function_Add("audio_pause_sound", F_audio_pause_sound, 1, true);
  Function_Add("audio_resume_sound", F_audio_resume_sound, 1, true);
  Function_Add("audio_stop_sound", F_audio_stop_sound, 1, true);
  Function_Add("audio_stop_all", F_audio_stop_all, 0, true);
  Function_Add("audio_sound_gain", F_audio_sound_gain, 3, true);
  Function_Add("audio_sound_get_gain", F_audio_sound_get_gain, 1, true);
  Function_Add("audio_sound_get_track_position", F_audio_sound_get_track_position, 1, true);
}

// Renders an XM module with each of the three players the soundtrack must
// sound alike in: libmikmod through SDL_mixer (what the show uses), libopenmpt
// (openmpt123) and libxmp (xmp). Every render is interleaved stereo at
// 44.1 kHz in -1..1, from the song's first tick to the player's end.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// SDL_mixer through SDL's disk audio driver, captured after the mix from the
// first callback that plays the music to the last, so that sample 0 is the
// song's time 0 (up to the mixer's chunk of ~6 ms at the end).
std::vector<float> RenderWithMixer(const std::string& xmPath);
// libmikmod driven directly as SDL_mixer drives it (the show's samples, bit
// for bit, without waiting on an audio thread): from time 0 to the end of the
// chunk in which the song ends. Not to be mixed with RenderWithMixer in one
// process: both own libmikmod's globals.
std::vector<float> RenderWithLibmikmod(const std::string& xmPath);
// Empty when the player is missing or fails; the player's path is in the
// failure message of the tests that use it.
std::vector<float> RenderWithOpenMpt(const std::string& xmPath);
std::vector<float> RenderWithXmp(const std::string& xmPath);

// The module's bytes with the sample data of every instrument not named in
// `audible` set to silence: everything else (timing, effects, panning) stays
// as it was, so the render is that part alone, as it sits in the mix.
std::vector<uint8_t> WithOnlyInstruments(const std::vector<uint8_t>& module,
                                         const std::set<std::string>& audible);

// Writes bytes to a fresh temporary file; the caller removes it.
std::string WriteTemporaryModule(const std::vector<uint8_t>& bytes, const std::string& stem);

// Renders of a module given as bytes.
std::vector<float> RenderBytesWithMixer(const std::vector<uint8_t>& bytes);
std::vector<float> RenderBytesWithLibmikmod(const std::vector<uint8_t>& bytes);
std::vector<float> RenderBytesWithOpenMpt(const std::vector<uint8_t>& bytes);
std::vector<float> RenderBytesWithXmp(const std::vector<uint8_t>& bytes);

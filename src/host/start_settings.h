// What the show asks for at start-up: its window's caption and its sound
// device (the window's size is the show's own, show/view.h).
#pragma once

constexpr const char* kCaption = "bajs";

constexpr int kAudioFrequency = 44100;
constexpr int kAudioChannels = 2;
constexpr int kAudioChunkSize = 2048;
constexpr int kPlayOnce = 0;

// What the show asks for at start-up: its window and its sound device.
#pragma once

constexpr const char* kCaption = "bajs";
constexpr int kWidth = 800;
constexpr int kHeight = 600;

constexpr int kAudioFrequency = 44100;
constexpr int kAudioChannels = 2;
constexpr int kAudioChunkSize = 2048;
constexpr int kPlayOnce = 0;

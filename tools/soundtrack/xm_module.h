// What an XM module holds, as the generator builds it before writing the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t kNoNote = 0;
constexpr uint8_t kKeyOff = 97;
constexpr uint8_t kLastNote = 96;          // B-7
constexpr uint8_t kVolumeColumnSet = 0x10; // volume column 0x10..0x50 sets 0..64
constexpr int kMaxVolume = 64;
constexpr int kCentrePanning = 128;

struct XmCell {
    uint8_t note = kNoNote;
    uint8_t instrument = 0; // 1-based, 0 = none
    uint8_t volume = 0;     // volume column byte, 0 = none
    uint8_t effect = 0;
    uint8_t parameter = 0;
};

inline bool operator==(const XmCell& a, const XmCell& b) {
    return a.note == b.note && a.instrument == b.instrument && a.volume == b.volume &&
           a.effect == b.effect && a.parameter == b.parameter;
}

inline bool IsEmpty(const XmCell& cell) {
    return cell == XmCell{};
}

struct XmPattern {
    int rows = 0;
    std::vector<XmCell> cells; // row by row, channel by channel within a row
};

struct XmEnvelopePoint {
    uint16_t tick;
    uint8_t level; // 0..64
};

// A volume envelope, held at its sustain point until key-off. Never looped:
// players disagree on loops combined with sustain.
struct XmEnvelope {
    std::vector<XmEnvelopePoint> points; // empty = envelope off
    int sustainPoint = -1;               // -1 = no sustain
};

// One mono 16-bit sample; loop positions are in frames.
struct XmSample {
    std::string name;
    std::vector<int16_t> frames;
    uint32_t loopStart = 0;
    uint32_t loopLength = 0; // 0 = no loop
    uint8_t volume = kMaxVolume;
    int8_t finetune = 0;
    uint8_t panning = kCentrePanning;
    int8_t relativeNote = 0;
};

// Every instrument of the song has exactly one sample.
struct XmInstrument {
    std::string name;
    XmEnvelope volumeEnvelope;
    uint16_t fadeout = 0;
    XmSample sample;
};

struct XmModule {
    std::string name;
    std::string trackerName;
    int channels = 0;
    int speed = 0; // ticks per row
    int bpm = 0;
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

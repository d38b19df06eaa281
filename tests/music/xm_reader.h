// A reader for XM files written for the tests, independent of the generator:
// it walks the file by its size fields the way players do and keeps every
// field as found, for the tests to compare with what was meant.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ParsedCell {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t parameter = 0;
};

struct ParsedPattern {
    uint32_t headerLength = 0;
    uint8_t packingType = 0;
    int rows = 0;
    int packedSize = 0;
    std::vector<ParsedCell> cells; // exactly rows x channels, or the read fails
};

struct ParsedEnvelopePoint {
    uint16_t x = 0;
    uint16_t y = 0;
};

struct ParsedSample {
    uint32_t lengthBytes = 0;
    uint32_t loopStartBytes = 0;
    uint32_t loopLengthBytes = 0;
    uint8_t volume = 0;
    int8_t finetune = 0;
    uint8_t type = 0;
    uint8_t panning = 0;
    int8_t relativeNote = 0;
    uint8_t reserved = 0;
    std::string name;
    std::vector<int16_t> frames; // delta-decoded; 8-bit data is widened to 16 bits
    size_t dataOffset = 0;       // where the sample's data starts in the file
};

struct ParsedInstrument {
    uint32_t headerSize = 0;
    std::string name;
    uint8_t type = 0;
    int sampleCount = 0;
    uint32_t sampleHeaderSize = 0;
    std::array<uint8_t, 96> noteMap{};
    std::array<ParsedEnvelopePoint, 12> volumePoints{};
    std::array<ParsedEnvelopePoint, 12> panningPoints{};
    uint8_t volumePointCount = 0;
    uint8_t panningPointCount = 0;
    uint8_t volumeSustain = 0;
    uint8_t volumeLoopStart = 0;
    uint8_t volumeLoopEnd = 0;
    uint8_t panningSustain = 0;
    uint8_t panningLoopStart = 0;
    uint8_t panningLoopEnd = 0;
    uint8_t volumeFlags = 0;
    uint8_t panningFlags = 0;
    uint8_t vibratoType = 0;
    uint8_t vibratoSweep = 0;
    uint8_t vibratoDepth = 0;
    uint8_t vibratoRate = 0;
    uint16_t fadeout = 0;
    std::vector<ParsedSample> samples;
};

struct ParsedModule {
    std::string idText;
    std::string name;
    uint8_t marker = 0;
    std::string trackerName;
    uint16_t version = 0;
    uint32_t headerSize = 0;
    uint16_t songLength = 0;
    uint16_t restartPosition = 0;
    uint16_t channels = 0;
    uint16_t patternCount = 0;
    uint16_t instrumentCount = 0;
    uint16_t flags = 0;
    uint16_t speed = 0;
    uint16_t bpm = 0;
    std::array<uint8_t, 256> orders{};
    std::vector<ParsedPattern> patterns;
    std::vector<ParsedInstrument> instruments;
    size_t endOffset = 0; // where the last instrument ended
};

// Throws std::runtime_error with the offset when the file is cut short or a
// pattern's packed data does not hold exactly rows x channels cells.
ParsedModule ParseXm(const std::vector<uint8_t>& bytes);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Text of a fixed-length field, up to its first NUL.
std::string FieldText(const std::vector<uint8_t>& bytes, size_t offset, size_t length);

#include "xm_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

constexpr size_t kFileHeaderSize = 60;
constexpr size_t kSizeFieldOffset = 60;
constexpr size_t kInstrumentBaseSize = 29; // up to and including the sample count
constexpr int kMaskBit = 0x80;
constexpr int kFields = 5;
constexpr uint8_t kSixteenBitType = 0x10;

struct Cursor {
    const std::vector<uint8_t>& bytes;
    size_t offset;
};

void Need(const Cursor& at, size_t count) {
    if (at.offset + count > at.bytes.size()) {
        throw std::runtime_error("file cut short at offset " + std::to_string(at.offset));
    }
}

uint8_t U8(Cursor& at) {
    Need(at, 1);
    return at.bytes[at.offset++];
}

uint16_t U16(Cursor& at) {
    const uint16_t low = U8(at);
    return uint16_t(low | (U8(at) << 8));
}

uint32_t U32(Cursor& at) {
    const uint32_t low = U16(at);
    return low | (uint32_t(U16(at)) << 16);
}

std::string Text(Cursor& at, size_t length) {
    Need(at, length);
    std::string text = FieldText(at.bytes, at.offset, length);
    at.offset += length;
    return text;
}

ParsedPattern ReadPattern(Cursor& at, int channels) {
    const size_t start = at.offset;
    ParsedPattern pattern;
    pattern.headerLength = U32(at);
    pattern.packingType = U8(at);
    pattern.rows = U16(at);
    pattern.packedSize = U16(at);
    at.offset = start + pattern.headerLength;
    Need(at, pattern.packedSize);
    const size_t dataEnd = at.offset + pattern.packedSize;
    const size_t cellCount = size_t(pattern.rows) * channels;
    while (at.offset < dataEnd) {
        ParsedCell cell;
        uint8_t* fields[kFields] = {&cell.note, &cell.instrument, &cell.volume, &cell.effect,
                                    &cell.parameter};
        const uint8_t first = U8(at);
        if (first & kMaskBit) {
            for (int i = 0; i < kFields; ++i) {
                if (first & (1 << i)) {
                    *fields[i] = U8(at);
                }
            }
        } else {
            cell.note = first;
            for (int i = 1; i < kFields; ++i) {
                *fields[i] = U8(at);
            }
        }
        pattern.cells.push_back(cell);
    }
    if (at.offset != dataEnd || pattern.cells.size() != cellCount) {
        throw std::runtime_error("pattern at offset " + std::to_string(start) + " holds " +
                                 std::to_string(pattern.cells.size()) + " cells in " +
                                 std::to_string(at.offset - (dataEnd - pattern.packedSize)) +
                                 " bytes, expected " + std::to_string(cellCount) + " cells in " +
                                 std::to_string(pattern.packedSize));
    }
    return pattern;
}

void ReadEnvelope(Cursor& at, std::array<ParsedEnvelopePoint, 12>& points) {
    for (ParsedEnvelopePoint& point : points) {
        point.x = U16(at);
        point.y = U16(at);
    }
}

ParsedSample ReadSampleHeader(Cursor& at) {
    ParsedSample sample;
    sample.lengthBytes = U32(at);
    sample.loopStartBytes = U32(at);
    sample.loopLengthBytes = U32(at);
    sample.volume = U8(at);
    sample.finetune = int8_t(U8(at));
    sample.type = U8(at);
    sample.panning = U8(at);
    sample.relativeNote = int8_t(U8(at));
    sample.reserved = U8(at);
    sample.name = Text(at, 22);
    return sample;
}

void ReadSampleData(Cursor& at, ParsedSample& sample) {
    Need(at, sample.lengthBytes);
    sample.dataOffset = at.offset;
    if (sample.type & kSixteenBitType) {
        uint16_t value = 0;
        for (uint32_t i = 0; i + 1 < sample.lengthBytes; i += 2) {
            value = uint16_t(value + U16(at));
            sample.frames.push_back(int16_t(value));
        }
        at.offset += sample.lengthBytes % 2;
    } else {
        uint8_t value = 0;
        for (uint32_t i = 0; i < sample.lengthBytes; ++i) {
            value = uint8_t(value + U8(at));
            sample.frames.push_back(int16_t(int8_t(value) * 256));
        }
    }
}

ParsedInstrument ReadInstrument(Cursor& at) {
    const size_t start = at.offset;
    ParsedInstrument instrument;
    instrument.headerSize = U32(at);
    instrument.name = Text(at, 22);
    instrument.type = U8(at);
    instrument.sampleCount = U16(at);
    if (instrument.sampleCount > 0) {
        instrument.sampleHeaderSize = U32(at);
        for (uint8_t& entry : instrument.noteMap) {
            entry = U8(at);
        }
        ReadEnvelope(at, instrument.volumePoints);
        ReadEnvelope(at, instrument.panningPoints);
        instrument.volumePointCount = U8(at);
        instrument.panningPointCount = U8(at);
        instrument.volumeSustain = U8(at);
        instrument.volumeLoopStart = U8(at);
        instrument.volumeLoopEnd = U8(at);
        instrument.panningSustain = U8(at);
        instrument.panningLoopStart = U8(at);
        instrument.panningLoopEnd = U8(at);
        instrument.volumeFlags = U8(at);
        instrument.panningFlags = U8(at);
        instrument.vibratoType = U8(at);
        instrument.vibratoSweep = U8(at);
        instrument.vibratoDepth = U8(at);
        instrument.vibratoRate = U8(at);
        instrument.fadeout = U16(at);
    }
    // Sample headers follow the header as long as its size says.
    at.offset = start + std::max<size_t>(instrument.headerSize, kInstrumentBaseSize);
    for (int i = 0; i < instrument.sampleCount; ++i) {
        instrument.samples.push_back(ReadSampleHeader(at));
    }
    for (ParsedSample& sample : instrument.samples) {
        ReadSampleData(at, sample);
    }
    return instrument;
}

} // namespace

std::string FieldText(const std::vector<uint8_t>& bytes, size_t offset, size_t length) {
    std::string text;
    for (size_t i = offset; i < offset + length && i < bytes.size() && bytes[i] != 0; ++i) {
        text.push_back(char(bytes[i]));
    }
    return text;
}

ParsedModule ParseXm(const std::vector<uint8_t>& bytes) {
    Cursor at{bytes, 0};
    ParsedModule module;
    Need(at, kFileHeaderSize);
    module.idText = Text(at, 17);
    module.name = Text(at, 20);
    module.marker = U8(at);
    module.trackerName = Text(at, 20);
    module.version = U16(at);
    module.headerSize = U32(at);
    module.songLength = U16(at);
    module.restartPosition = U16(at);
    module.channels = U16(at);
    module.patternCount = U16(at);
    module.instrumentCount = U16(at);
    module.flags = U16(at);
    module.speed = U16(at);
    module.bpm = U16(at);
    for (uint8_t& order : module.orders) {
        order = U8(at);
    }
    at.offset = kSizeFieldOffset + module.headerSize;
    for (int i = 0; i < module.patternCount; ++i) {
        module.patterns.push_back(ReadPattern(at, module.channels));
    }
    for (int i = 0; i < module.instrumentCount; ++i) {
        module.instruments.push_back(ReadInstrument(at));
    }
    module.endOffset = at.offset;
    return module;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

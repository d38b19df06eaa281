#include "xm_writer.h"

#include <stdexcept>
#include <string>

namespace {

constexpr char kIdText[] = "Extended Module: ";
constexpr int kNameLength = 20;
constexpr uint8_t kMarker = 0x1A;
constexpr uint16_t kVersion = 0x0104;
constexpr int kOrderTableSize = 256;
constexpr uint32_t kHeaderSize = 20 + kOrderTableSize; // counted from the size field itself
constexpr uint16_t kLinearFrequencies = 1;
constexpr uint32_t kPatternHeaderSize = 9;
constexpr int kMaxRows = 256;
constexpr size_t kMaxPackedSize = 0xFFFF;
constexpr uint32_t kInstrumentHeaderSize = 263;
constexpr int kInstrumentNameLength = 22;
constexpr uint32_t kSampleHeaderSize = 40;
constexpr int kNotesInMap = 96;
constexpr int kEnvelopePoints = 12;
constexpr int kInstrumentReserved = 22;
constexpr uint8_t kEnvelopeOn = 1;
constexpr uint8_t kEnvelopeSustain = 2;
constexpr uint8_t kForwardLoop = 1;
constexpr uint8_t kSixteenBit = 0x10;
constexpr int kSampleNameLength = 22;
constexpr uint8_t kPackedFlag = 0x80;
constexpr int kFieldsPerCell = 5;

void Fail(const std::string& what) {
    throw std::runtime_error("XM writer: " + what);
}

void PutU8(std::vector<uint8_t>& out, unsigned value) {
    out.push_back(uint8_t(value));
}

void PutU16(std::vector<uint8_t>& out, unsigned value) {
    PutU8(out, value & 0xFF);
    PutU8(out, (value >> 8) & 0xFF);
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// Fixed-length text, NUL padded; too long a text is an error, not a cut.
void PutText(std::vector<uint8_t>& out, const std::string& text, size_t length) {
    if (text.size() > length) {
        Fail("text \"" + text + "\" is longer than " + std::to_string(length) + " bytes");
    }
    out.insert(out.end(), text.begin(), text.end());
    out.insert(out.end(), length - text.size(), 0);
}

// Uses FastTracker II's packing: a cell with all five fields is written in
// full, any other cell as a mask byte followed by the fields it has.
void PutPackedCell(std::vector<uint8_t>& out, const XmCell& cell) {
    const uint8_t fields[kFieldsPerCell] = {cell.note, cell.instrument, cell.volume, cell.effect,
                                            cell.parameter};
    if (cell.note > kKeyOff) {
        Fail("note " + std::to_string(cell.note) + " is out of range");
    }
    uint8_t mask = 0;
    for (int i = 0; i < kFieldsPerCell; ++i) {
        if (fields[i] != 0) {
            mask |= uint8_t(1 << i);
        }
    }
    const uint8_t allFields = (1 << kFieldsPerCell) - 1;
    if (mask != allFields) {
        PutU8(out, kPackedFlag | mask);
    }
    for (int i = 0; i < kFieldsPerCell; ++i) {
        if (fields[i] != 0) {
            PutU8(out, fields[i]);
        }
    }
}

void PutPattern(std::vector<uint8_t>& out, const XmPattern& pattern, int channels) {
    if (pattern.rows < 1 || pattern.rows > kMaxRows) {
        Fail("a pattern has " + std::to_string(pattern.rows) + " rows");
    }
    if (pattern.cells.size() != size_t(pattern.rows) * size_t(channels)) {
        Fail("a pattern's cells do not fill rows x channels");
    }
    std::vector<uint8_t> packed;
    for (const XmCell& cell : pattern.cells) {
        PutPackedCell(packed, cell);
    }
    if (packed.size() > kMaxPackedSize) {
        Fail("a pattern packs to more than 65535 bytes");
    }
    PutU32(out, kPatternHeaderSize);
    PutU8(out, 0); // packing type
    PutU16(out, pattern.rows);
    PutU16(out, packed.size());
    out.insert(out.end(), packed.begin(), packed.end());
}

void PutEnvelopePoints(std::vector<uint8_t>& out, const XmEnvelope& envelope) {
    if (envelope.points.size() > size_t(kEnvelopePoints)) {
        Fail("an envelope has more than 12 points");
    }
    for (int i = 0; i < kEnvelopePoints; ++i) {
        if (size_t(i) < envelope.points.size()) {
            const XmEnvelopePoint& point = envelope.points[i];
            if (point.level > kMaxVolume || (i == 0 && point.tick != 0) ||
                (i > 0 && point.tick <= envelope.points[i - 1].tick)) {
                Fail("an envelope point is out of order or out of range");
            }
            PutU16(out, point.tick);
            PutU16(out, point.level);
        } else {
            PutU16(out, 0);
            PutU16(out, 0);
        }
    }
}

// Differences from the previous frame, kept modulo 65536 so that loud,
// bright sounds decode exactly.
void PutDeltaFrames(std::vector<uint8_t>& out, const std::vector<int16_t>& frames) {
    uint16_t previous = 0;
    for (int16_t frame : frames) {
        const uint16_t value = uint16_t(frame);
        PutU16(out, uint16_t(value - previous));
        previous = value;
    }
}

void PutInstrument(std::vector<uint8_t>& out, const XmInstrument& instrument) {
    const XmEnvelope& envelope = instrument.volumeEnvelope;
    const XmSample& sample = instrument.sample;
    if (envelope.sustainPoint >= int(envelope.points.size())) {
        Fail("instrument " + instrument.name + " sustains at a missing point");
    }
    if (sample.frames.empty() || sample.loopStart + sample.loopLength > sample.frames.size()) {
        Fail("instrument " + instrument.name + " has an empty sample or a loop outside it");
    }
    PutU32(out, kInstrumentHeaderSize);
    PutText(out, instrument.name, kInstrumentNameLength);
    PutU8(out, 0);  // type
    PutU16(out, 1); // samples
    PutU32(out, kSampleHeaderSize);
    out.insert(out.end(), kNotesInMap, 0); // every note plays sample 0
    PutEnvelopePoints(out, envelope);
    PutEnvelopePoints(out, XmEnvelope{}); // no panning envelope
    PutU8(out, envelope.points.size());
    PutU8(out, 0);
    PutU8(out, envelope.sustainPoint < 0 ? 0 : envelope.sustainPoint);
    PutU8(out, 0); // loop start point
    PutU8(out, 0); // loop end point
    PutU8(out, 0); // panning sustain, loop start, loop end
    PutU8(out, 0);
    PutU8(out, 0);
    uint8_t flags = 0;
    if (!envelope.points.empty()) {
        flags |= kEnvelopeOn;
        if (envelope.sustainPoint >= 0) {
            flags |= kEnvelopeSustain;
        }
    }
    PutU8(out, flags);
    PutU8(out, 0); // panning envelope off
    PutU8(out, 0); // no auto-vibrato: waveform, sweep, depth, rate
    PutU8(out, 0);
    PutU8(out, 0);
    PutU8(out, 0);
    PutU16(out, instrument.fadeout);
    out.insert(out.end(), kInstrumentReserved, 0);

    const uint32_t bytesPerFrame = sizeof(int16_t);
    PutU32(out, sample.frames.size() * bytesPerFrame);
    PutU32(out, sample.loopStart * bytesPerFrame);
    PutU32(out, sample.loopLength * bytesPerFrame);
    PutU8(out, sample.volume);
    PutU8(out, uint8_t(sample.finetune));
    PutU8(out, (sample.loopLength > 0 ? kForwardLoop : 0) | kSixteenBit);
    PutU8(out, sample.panning);
    PutU8(out, uint8_t(sample.relativeNote));
    PutU8(out, 0); // reserved
    PutText(out, sample.name, kSampleNameLength);
    PutDeltaFrames(out, sample.frames);
}

} // namespace

std::vector<uint8_t> WriteXm(const XmModule& module) {
    if (module.orders.empty() || module.orders.size() > size_t(kOrderTableSize)) {
        Fail("the order list must hold 1..256 entries");
    }
    for (uint8_t order : module.orders) {
        if (order >= module.patterns.size()) {
            Fail("the order list names a missing pattern");
        }
    }
    std::vector<uint8_t> out;
    PutText(out, kIdText, sizeof kIdText - 1);
    PutText(out, module.name, kNameLength);
    PutU8(out, kMarker);
    PutText(out, module.trackerName, kNameLength);
    PutU16(out, kVersion);
    PutU32(out, kHeaderSize);
    PutU16(out, module.orders.size());
    PutU16(out, 0); // restart position
    PutU16(out, module.channels);
    PutU16(out, module.patterns.size());
    PutU16(out, module.instruments.size());
    PutU16(out, kLinearFrequencies);
    PutU16(out, module.speed);
    PutU16(out, module.bpm);
    for (int i = 0; i < kOrderTableSize; ++i) {
        PutU8(out, size_t(i) < module.orders.size() ? module.orders[i] : 0);
    }
    for (const XmPattern& pattern : module.patterns) {
        PutPattern(out, pattern, module.channels);
    }
    for (const XmInstrument& instrument : module.instruments) {
        PutInstrument(out, instrument);
    }
    return out;
}

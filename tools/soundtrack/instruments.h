// The song's instruments, every one synthesised here: drums, bass, pad,
// arpeggio, lead and its answering voice, the climax's clap, and the effects (riser, typing blip).
#pragma once

#include <cstdint>
#include <vector>

#include "xm_module.h"

// In the order of the module's instrument list.
enum class Voice {
    Kick,
    Snare,
    Tom,
    ClosedHat,
    OpenHat,
    Crash,
    Riser,
    Blip,
    Bass,
    Pad,
    Arp,
    Lead,
    Answer,
    Clap,
    Count
};

constexpr uint8_t InstrumentNumber(Voice voice) {
    return uint8_t(int(voice) + 1);
}

// One per Voice, in Voice order.
std::vector<XmInstrument> BuildInstruments();

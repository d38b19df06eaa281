#include "notation.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

constexpr char kRest[] = ".";
constexpr char kKeyOffToken[] = "===";
constexpr char kBarLine = '|';
constexpr char kGlideMark = '^';
constexpr uint8_t kKeyOffNote = 97;
constexpr int kSemitonesPerOctave = 12;
constexpr int kHighestOctave = 7;
constexpr int kMaxVolume = 64;
constexpr int kDrumVolumeStep = 8; // digit d = d eighths of full volume
constexpr int kChordOctave = 3;
constexpr int kLowChordRoot = 9; // A and above go an octave down: roots span A-2..G#3
constexpr int kMaxRepeat = 256;

[[noreturn]] void Fail(const std::string& what, const std::string& token) {
    throw std::runtime_error(what + ": \"" + token + "\"");
}

// Semitone of a letter above C, or -1.
int LetterSemitone(char letter) {
    switch (letter) {
    case 'C':
        return 0;
    case 'D':
        return 2;
    case 'E':
        return 4;
    case 'F':
        return 5;
    case 'G':
        return 7;
    case 'A':
        return 9;
    case 'B':
        return 11;
    default:
        return -1;
    }
}

bool SharpAllowed(char letter) {
    return letter != 'E' && letter != 'B';
}

// Bar lines separate tokens like spaces do.
std::vector<std::string> Tokens(std::string text) {
    for (char& c : text) {
        if (c == kBarLine) {
            c = ' ';
        }
    }
    std::istringstream stream(text);
    std::vector<std::string> tokens;
    std::string token;
    while (stream >> token) {
        tokens.push_back(token);
    }
    return tokens;
}

int ParseNumber(const std::string& digits, const std::string& token) {
    if (digits.empty() || digits.size() > 3) {
        Fail("expected a number", token);
    }
    int value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            Fail("expected a number", token);
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// Splits "A-4v32" into "A-4" and 32.
std::string SplitVolume(const std::string& token, int& volume) {
    const size_t mark = token.find('v');
    volume = kNoVolume;
    if (mark == std::string::npos) {
        return token;
    }
    volume = ParseNumber(token.substr(mark + 1), token);
    if (volume > kMaxVolume) {
        Fail("volume above 64", token);
    }
    return token.substr(0, mark);
}

} // namespace

uint8_t ParseNoteName(const std::string& token) {
    if (token == kKeyOffToken) {
        return kKeyOffNote;
    }
    if (token.size() != 3) {
        Fail("not a note", token);
    }
    const int semitone = LetterSemitone(token[0]);
    const bool sharp = token[1] == '#';
    const int octave = token[2] - '0';
    if (semitone < 0 || (token[1] != '-' && !sharp) || (sharp && !SharpAllowed(token[0])) ||
        octave < 0 || octave > kHighestOctave) {
        Fail("not a note", token);
    }
    return uint8_t(1 + octave * kSemitonesPerOctave + semitone + (sharp ? 1 : 0));
}

std::vector<NoteStep> ParseNoteLane(const std::string& text) {
    std::vector<NoteStep> steps;
    for (const std::string& token : Tokens(text)) {
        NoteStep step;
        if (token != kRest) {
            step.glide = token[0] == kGlideMark;
            const std::string name = SplitVolume(token.substr(step.glide ? 1 : 0), step.volume);
            step.note = ParseNoteName(name);
            if (step.note == kKeyOffNote && (step.volume != kNoVolume || step.glide)) {
                Fail("a key-off takes no volume and no glide", token);
            }
        }
        steps.push_back(step);
    }
    return steps;
}

std::vector<ChordStep> ParseChordLane(const std::string& text) {
    std::vector<ChordStep> steps;
    for (const std::string& token : Tokens(text)) {
        ChordStep step;
        if (token == kKeyOffToken) {
            step.root = kKeyOffNote;
        } else if (token != kRest) {
            std::string symbol = SplitVolume(token, step.volume);
            const int letter = symbol.empty() ? -1 : LetterSemitone(symbol[0]);
            size_t at = 1;
            int semitone = letter;
            if (symbol.size() > at && symbol[at] == '#') {
                if (!SharpAllowed(symbol[0])) {
                    Fail("not a chord", token);
                }
                ++semitone;
                ++at;
            }
            // What may follow the root, and the chord it makes.
            static const std::pair<const char*, ChordShape> kQualities[] = {
                {"", kMajorTriad},    {"m", kMinorTriad},  {"7", {0, 4, 10}},   {"m7", {0, 3, 10}},
                {"maj7", {0, 4, 11}}, {"sus4", {0, 5, 7}}, {"sus2", {0, 2, 7}},
            };
            const auto quality =
                std::find_if(std::begin(kQualities), std::end(kQualities), [&](const auto& known) {
                    return letter >= 0 && symbol.compare(at, std::string::npos, known.first) == 0;
                });
            if (quality == std::end(kQualities)) {
                Fail("not a chord", token);
            }
            step.shape = quality->second;
            const int octave = semitone >= kLowChordRoot ? kChordOctave - 1 : kChordOctave;
            step.root = uint8_t(1 + octave * kSemitonesPerOctave + semitone);
        }
        steps.push_back(step);
    }
    return steps;
}

std::vector<DrumStep> ParseDrumLane(const std::string& text) {
    std::vector<DrumStep> steps;
    for (char c : text) {
        if (c == ' ' || c == kBarLine) {
            continue;
        }
        DrumStep step;
        if (c == 'x') {
            step.hit = true;
        } else if (c >= '1' && c <= '8') {
            step.hit = true;
            step.volume = (c - '0') * kDrumVolumeStep;
        } else if (c != '.') {
            Fail("not a drum step", std::string(1, c));
        }
        steps.push_back(step);
    }
    return steps;
}

std::vector<SequenceItem> ParseSequence(const std::string& text) {
    std::vector<SequenceItem> items;
    for (const std::string& token : Tokens(text)) {
        SequenceItem item;
        if (token[0] == '~') {
            item.count = ParseNumber(token.substr(1), token);
        } else {
            std::string rest = token;
            const size_t at = rest.find('@');
            if (at != std::string::npos) {
                item.volume = ParseNumber(rest.substr(at + 1), token);
                if (item.volume > kMaxVolume) {
                    Fail("volume above 64", token);
                }
                rest = rest.substr(0, at);
            }
            const size_t star = rest.find('*');
            if (star != std::string::npos) {
                item.count = ParseNumber(rest.substr(star + 1), token);
                rest = rest.substr(0, star);
            }
            item.phrase = rest;
            if (item.phrase.empty()) {
                Fail("missing phrase name", token);
            }
        }
        if (item.count < 1 || item.count > kMaxRepeat) {
            Fail("count out of range", token);
        }
        items.push_back(item);
    }
    return items;
}

// Writes the about window's music: a standard MIDI file of sixteen bars (about forty
// seconds) that ends on the dominant so that it loops back to its start without a seam.
// Usage: MakeAboutMusic OUT.opm
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int Division = 480; // ticks per quarter note
constexpr int Bar = 4 * Division;

struct Event {
    int tick;
    std::vector<uint8_t> bytes;
};

void VarLen(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t stack[5];
    int n = 0;
    do {
        stack[n++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value);
    while (n--) out.push_back(static_cast<uint8_t>(stack[n] | (n ? 0x80 : 0)));
}

std::vector<uint8_t> Track(std::vector<Event> events) {
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::vector<uint8_t> data;
    int last = 0;
    for (const Event& e : events) {
        VarLen(data, static_cast<uint32_t>(e.tick - last));
        data.insert(data.end(), e.bytes.begin(), e.bytes.end());
        last = e.tick;
    }
    data.insert(data.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> chunk{'M', 'T', 'r', 'k'};
    const uint32_t size = static_cast<uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<uint8_t>(size >> shift));
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

void Note(std::vector<Event>& events, int channel, int tick, int length, int pitch, int velocity) {
    events.push_back({tick, {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(pitch),
                             static_cast<uint8_t>(velocity)}});
    events.push_back({tick + length, {static_cast<uint8_t>(0x80 | channel),
                                      static_cast<uint8_t>(pitch), 0}});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: MakeAboutMusic OUT.opm\n");
        return 2;
    }
    // Chords by their root (C major scale, MIDI 48 = C3) and quality.
    struct Chord {
        int root;
        bool minor;
    };
    const Chord C{48, false}, Am{45, true}, F{41, false}, G{43, false}, Dm{50, true}, Em{52, true};
    const std::vector<Chord> bars{C, Am, F, G, C, Am, Dm, G, F, G, Em, Am, Dm, G, C, G};
    // The tune, two bars a line: scale steps above C5 (0 = C5, 7 = C6), -99 a rest, in eighths.
    const int tune[16][8] = {
        {4, -99, 4, 5, 7, 5, 4, 2},   {0, -99, 0, 2, 4, 2, 0, -99},
        {-3, 0, 2, 3, 5, 3, 2, 0},    {1, -99, 2, -99, 4, 3, 2, 1},
        {4, -99, 4, 5, 7, 8, 7, 5},   {4, -99, 2, 0, 2, 4, 5, -99},
        {3, 5, 6, 5, 3, 1, 3, 5},     {4, -99, 1, -99, 2, 3, 4, 6},
        {5, -99, 7, 5, 3, -99, 2, 3}, {4, -99, 6, 4, 1, -99, 2, 3},
        {4, 6, 7, 6, 4, 2, 4, 6},     {5, -99, 4, 2, 0, -99, 2, 4},
        {3, -99, 5, 3, 1, 3, 5, 8},   {6, -99, 4, -99, 1, 2, 3, 4},
        {7, -99, 4, 2, 0, 2, 4, 7},   {6, 4, 1, -1, 1, 2, 3, 4},
    };
    const int scale[] = {0, 2, 4, 5, 7, 9, 11};
    const auto pitchOf = [&](int step) {
        const int octave = step >= 0 ? step / 7 : -((-step + 6) / 7);
        return 72 + 12 * octave + scale[((step % 7) + 7) % 7];
    };

    std::vector<Event> tempo{{0, {0xFF, 0x51, 0x03, 0x09, 0x89, 0x68}}, // 96 beats a minute
                             {0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}}};
    std::vector<Event> melody{{0, {0xC0, 11}}, {0, {0xB0, 7, 100}}}; // vibraphone
    std::vector<Event> chords{{0, {0xC1, 0}}, {0, {0xB1, 7, 70}}};   // piano
    std::vector<Event> bass{{0, {0xC2, 33}}, {0, {0xB2, 7, 95}}};    // finger bass
    for (size_t b = 0; b < bars.size(); ++b) {
        const int start = static_cast<int>(b) * Bar;
        const Chord chord = bars[b];
        const int third = chord.root + (chord.minor ? 3 : 4), fifth = chord.root + 7;
        // Broken chord in eighths: root fifth third fifth, twice.
        const int pattern[] = {chord.root + 12, fifth + 12, third + 12, fifth + 12};
        for (int i = 0; i < 8; ++i)
            Note(chords, 1, start + i * Division / 2, Division / 2, pattern[i % 4] - 12, 58 + (i % 4 == 0) * 8);
        Note(bass, 2, start, Division * 3 / 2, chord.root - 12, 90);
        Note(bass, 2, start + Division * 2, Division, fifth - 24, 80);
        Note(bass, 2, start + Division * 3, Division, chord.root - 12, 80);
        for (int i = 0; i < 8; ++i) {
            if (tune[b][i] == -99) continue;
            int length = Division / 2;
            if (i + 1 < 8 && tune[b][i + 1] == -99) length = Division;
            Note(melody, 0, start + i * Division / 2, length - 20, pitchOf(tune[b][i]), 92 - (i % 2) * 10);
        }
    }

    std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 4,
                              static_cast<uint8_t>(Division >> 8), static_cast<uint8_t>(Division & 0xFF)};
    for (auto* events : {&tempo, &melody, &chords, &bass}) {
        const std::vector<uint8_t> chunk = Track(*events);
        file.insert(file.end(), chunk.begin(), chunk.end());
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return out ? 0 : 1;
}

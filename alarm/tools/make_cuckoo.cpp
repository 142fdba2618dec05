// Writes the alarm sound: a short cuckoo call of two falling tones, as a 16-bit PCM mono WAV
// file. Usage: make_cuckoo <output.wav>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 22050;
constexpr double kDurationSeconds = 1.0;
constexpr double kPeak = 0.6; // of full scale

struct Note {
    double start;     // seconds
    double length;    // seconds
    double frequency; // Hz at the start; each note sinks a little, as the bird's call does
    double decay;     // seconds for the level to fall to 1/e
};

// "Cu" and then the lower, longer "ckoo".
constexpr Note kNotes[] = {
    {0.05, 0.28, 660.0, 0.14},
    {0.42, 0.50, 520.0, 0.20},
};

constexpr double kAttack = 0.015;  // seconds
constexpr double kRelease = 0.030; // seconds
constexpr double kGlide = 0.04;    // fraction by which a note's pitch sinks over its length

double envelope(const Note& note, double t) {
    double level = std::exp(-t / note.decay);
    if (t < kAttack) {
        level *= t / kAttack;
    }
    const double untilEnd = note.length - t;
    if (untilEnd < kRelease) {
        level *= untilEnd / kRelease;
    }
    return level;
}

std::vector<double> synthesise() {
    const auto count = static_cast<std::size_t>(kDurationSeconds * kSampleRate);
    std::vector<double> samples(count, 0.0);
    for (const Note& note : kNotes) {
        const auto first = static_cast<std::size_t>(note.start * kSampleRate);
        const auto length = static_cast<std::size_t>(note.length * kSampleRate);
        double phase = 0.0;
        for (std::size_t i = 0; i < length && first + i < count; ++i) {
            const double t = static_cast<double>(i) / kSampleRate;
            const double frequency = note.frequency * (1.0 - kGlide * t / note.length);
            phase += 2.0 * std::numbers::pi * frequency / kSampleRate;
            // A little of the octave above gives the tone a hollow, wooden colour.
            const double wave = std::sin(phase) + 0.2 * std::sin(2.0 * phase);
            samples[first + i] += envelope(note, t) * wave / 1.2;
        }
    }
    return samples;
}

void putLE(std::vector<char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

void putTag(std::vector<char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

std::vector<char> wavFile(const std::vector<double>& samples) {
    constexpr int kChannels = 1;
    constexpr int kBitsPerSample = 16;
    constexpr int kBlockAlign = kChannels * kBitsPerSample / 8;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBlockAlign);

    std::vector<char> out;
    putTag(out, "RIFF");
    putLE(out, 36 + dataBytes, 4);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putLE(out, 16, 4); // size of the format chunk
    putLE(out, 1, 2);  // PCM
    putLE(out, kChannels, 2);
    putLE(out, kSampleRate, 4);
    putLE(out, kSampleRate * kBlockAlign, 4); // bytes per second
    putLE(out, kBlockAlign, 2);
    putLE(out, kBitsPerSample, 2);
    putTag(out, "data");
    putLE(out, dataBytes, 4);
    for (const double sample : samples) {
        const double scaled = std::round(std::clamp(sample * kPeak, -1.0, 1.0) * 32767.0);
        const auto value = static_cast<std::int16_t>(scaled);
        putLE(out, static_cast<std::uint16_t>(value), 2);
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path path(argv[1]);
    std::error_code error;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), error);
    }
    const std::vector<char> bytes = wavFile(synthesise());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.string().c_str());
        return 1;
    }
    return 0;
}

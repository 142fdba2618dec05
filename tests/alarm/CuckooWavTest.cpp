// The alarm sound the build places beside the executable.

#include <QFile>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

quint32 le(const QByteArray& bytes, qsizetype at, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<quint8>(bytes.at(at + i));
    }
    return value;
}

struct Wav {
    int format = 0;
    int channels = 0;
    int sampleRate = 0;
    int byteRate = 0;
    int blockAlign = 0;
    int bits = 0;
    std::vector<double> samples; // -1 .. 1
};

// Reads a RIFF/WAVE file chunk by chunk; fails the test on any malformed part.
void readWav(const QByteArray& file, Wav& wav) {
    ASSERT_GE(file.size(), 44);
    ASSERT_EQ(file.left(4), QByteArray("RIFF"));
    ASSERT_EQ(le(file, 4, 4), static_cast<quint32>(file.size() - 8));
    ASSERT_EQ(file.mid(8, 4), QByteArray("WAVE"));
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = le(file, at + 4, 4);
        ASSERT_LE(at + 8 + static_cast<qsizetype>(size), file.size()) << id.constData();
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            ASSERT_GE(size, 16u);
            wav.format = static_cast<int>(le(file, body, 2));
            wav.channels = static_cast<int>(le(file, body + 2, 2));
            wav.sampleRate = static_cast<int>(le(file, body + 4, 4));
            wav.byteRate = static_cast<int>(le(file, body + 8, 4));
            wav.blockAlign = static_cast<int>(le(file, body + 12, 2));
            wav.bits = static_cast<int>(le(file, body + 14, 2));
            haveFormat = true;
        } else if (id == "data") {
            ASSERT_TRUE(haveFormat);
            ASSERT_EQ(size % 2, 0u);
            for (quint32 i = 0; i < size; i += 2) {
                const auto sample = static_cast<std::int16_t>(le(file, body + i, 2));
                wav.samples.push_back(sample / 32768.0);
            }
            haveData = true;
        }
        at = body + size + (size % 2);
    }
    ASSERT_TRUE(haveFormat);
    ASSERT_TRUE(haveData);
}

// Stretches of sound louder than a tenth of full scale, as [first, last) sample ranges,
// measured in 10 ms windows.
std::vector<std::pair<size_t, size_t>> loudStretches(const Wav& wav) {
    const size_t window = static_cast<size_t>(wav.sampleRate / 100);
    std::vector<std::pair<size_t, size_t>> stretches;
    bool inside = false;
    for (size_t start = 0; start + window <= wav.samples.size(); start += window) {
        double energy = 0;
        for (size_t i = start; i < start + window; ++i) {
            energy += wav.samples[i] * wav.samples[i];
        }
        const bool loud = std::sqrt(energy / static_cast<double>(window)) > 0.1;
        if (loud && !inside) {
            stretches.push_back({start, start + window});
        } else if (loud) {
            stretches.back().second = start + window;
        }
        inside = loud;
    }
    return stretches;
}

// The pitch of a stretch from its rising zero crossings.
double pitch(const Wav& wav, std::pair<size_t, size_t> stretch) {
    int crossings = 0;
    for (size_t i = stretch.first + 1; i < stretch.second; ++i) {
        if (wav.samples[i - 1] < 0 && wav.samples[i] >= 0) {
            ++crossings;
        }
    }
    return crossings * static_cast<double>(wav.sampleRate) /
           static_cast<double>(stretch.second - stretch.first);
}

TEST(CuckooWav, TheBuildShipsAShortCallOfTwoFallingTones) {
    QFile file(QStringLiteral(ORVANTO_CUCKOO_WAV));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << ORVANTO_CUCKOO_WAV;
    Wav wav;
    readWav(file.readAll(), wav);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(wav.format, 1); // PCM
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_GE(wav.sampleRate, 8000);
    EXPECT_EQ(wav.blockAlign, 2);
    EXPECT_EQ(wav.byteRate, wav.sampleRate * 2);
    const double seconds = static_cast<double>(wav.samples.size()) / wav.sampleRate;
    EXPECT_GE(seconds, 0.5);
    EXPECT_LE(seconds, 2.0); // rings every 2 seconds: a longer sound would be cut off

    double peak = 0;
    for (const double sample : wav.samples) {
        peak = std::max(peak, std::abs(sample));
    }
    EXPECT_GT(peak, 0.25);
    EXPECT_LT(peak, 0.99); // no clipping

    const auto stretches = loudStretches(wav);
    ASSERT_EQ(stretches.size(), 2u);
    const double first = pitch(wav, stretches[0]);
    const double second = pitch(wav, stretches[1]);
    EXPECT_NEAR(first, 660, 40);
    EXPECT_NEAR(second, 520, 40);
    EXPECT_GT(first, second);
}

} // namespace

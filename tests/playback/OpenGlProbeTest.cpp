// Finding out in a process of its own whether a GPU draws OpenGL: what each answer means, and
// that a probe that misbehaves counts as no GPU without holding anything up.

#include "playback/OpenGlProbe.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace orvanto;

namespace {

struct Answer {
    bool came = false;
    bool gpu = false;
    QByteArray renderer;
};

// Runs a probe that is `script` for /bin/sh, with `timeoutMs`.
Answer probe(const char* script, int timeoutMs = 5000) {
    OpenGlProbe running(QStringLiteral("/bin/sh"),
                        {QStringLiteral("-c"), QString::fromLatin1(script)}, timeoutMs);
    QSignalSpy found(&running, &OpenGlProbe::found);
    running.start();
    Answer answer;
    answer.came = found.wait(10000);
    if (answer.came) {
        answer.gpu = found.at(0).at(0).toBool();
        answer.renderer = found.at(0).at(1).toByteArray();
    }
    QTest::qWait(50); // a second answer would come now
    EXPECT_EQ(found.count(), 1) << script;
    return answer;
}

} // namespace

TEST(OpenGlProbe, AGpusRendererDrawsAndASoftwareOneDoesNot) {
    const Answer gpu = probe("echo 'AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)'");
    EXPECT_TRUE(gpu.came);
    EXPECT_TRUE(gpu.gpu) << "llvm in a GPU driver's name is not llvmpipe";
    EXPECT_EQ(gpu.renderer, "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)");
    EXPECT_FALSE(probe("echo 'llvmpipe (LLVM 15.0.6, 256 bits)'").gpu);
    EXPECT_FALSE(probe("echo softpipe").gpu);
    EXPECT_FALSE(probe("echo 'Microsoft Basic Render Driver: Software Rasterizer'").gpu);
    EXPECT_TRUE(probe("echo 'Mesa Intel(R) UHD Graphics 620 (KBL GT2)'").gpu);
}

TEST(OpenGlProbe, AProbeThatFailsCrashesHangsOrRambleCountsAsNoGpu) {
    // No context could be made.
    const Answer none = probe("echo; exit 1");
    EXPECT_TRUE(none.came);
    EXPECT_FALSE(none.gpu);
    EXPECT_TRUE(none.renderer.isEmpty());
    // A renderer named, then a crash (a driver falling over at its first picture).
    EXPECT_FALSE(probe("echo 'NVIDIA GeForce GTX 1060'; kill -SEGV $$").gpu);
    // A driver that never comes back: given up at the timeout, the probe killed.
    const Answer hung = probe("echo 'NVIDIA GeForce GTX 1060'; exec sleep 30", 300);
    EXPECT_TRUE(hung.came);
    EXPECT_FALSE(hung.gpu);
    // More than a name: not read past the bound.
    EXPECT_FALSE(probe("yes 'NVIDIA GeForce GTX 1060'").gpu);
    // No such program.
    OpenGlProbe missing(QStringLiteral("/nonexistent/orvanto-tv"), {});
    QSignalSpy found(&missing, &OpenGlProbe::found);
    missing.start();
    ASSERT_TRUE(found.count() == 1 || found.wait(5000));
    EXPECT_FALSE(found.at(0).at(0).toBool());
}

// The pictures the real libVLC hands to the video widget (dummy audio output): as the decoder
// made them, with the shape of their samples, and with the subtitles libVLC blends into them.

#include "PlayerFixture.h"
#include "playback/VideoView.h"

#include <QTemporaryDir>

using namespace orvanto;
using namespace orvanto::test;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class PictureVlcTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        player = std::make_unique<VlcPlayer>();
        auto made = std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true});
        engine = made.get();
        player->attach(std::move(made), std::make_unique<StreamSniffer>());
        view()->resize(329, 300);
    }

    VideoView* view() const { return player->videoView(); }
    const VideoFrame& frame() const { return view()->frame(); }

    // How many samples of the frame on show are brighter than `level`, in its lower half.
    int brightBelow(int level) const {
        const VideoFrame& shown = frame();
        if (shown.isNull()) {
            return -1;
        }
        int bright = 0;
        const FrameFormat& format = shown.format();
        for (int y = format.height / 2; y < format.height; ++y) {
            for (int x = 0; x < format.width; ++x) {
                bright += shown.sample(0, x, y) > level ? 1 : 0;
            }
        }
        return bright;
    }

    std::unique_ptr<VlcPlayer> player;
    VlcEngine* engine = nullptr; // the player's
    QTemporaryDir files;
};

} // namespace

TEST_F(PictureVlcTest, TheTestCardArrivesAsTheDecoderMadeItPlanarAndUpright) {
    server.route(s("/card"), TestHttpServer::testCard());
    player->setURL(url("/card"));
    ASSERT_TRUE(waitFor([this] { return view()->showsPicture(); }, OpenMs));
    const FrameFormat& format = frame().format();
    EXPECT_EQ(format.width, 64);
    EXPECT_EQ(format.height, 48);
    EXPECT_TRUE(format.fourcc == "I420" || format.fourcc == "J420") << format.fourcc.data();
    // The samples as the stream has them: no conversion on the way.
    EXPECT_NEAR(frame().sample(0, 32, 6), 105, 2); // magenta above
    EXPECT_NEAR(frame().sample(1, 16, 3), 212, 2);
    EXPECT_NEAR(frame().sample(0, 32, 40), 226, 2); // yellow below
    EXPECT_NEAR(frame().sample(2, 16, 20), 149, 2);
    ASSERT_TRUE(waitFor([this] { return view()->frames()->shape().isValid(); }, OpenMs));
    EXPECT_EQ(view()->frames()->shape().visible, QSize(64, 48));
    EXPECT_TRUE(waitFor([this] { return engine->stats().shownPictures > 10; }, OpenMs));

    player->stop();
    EXPECT_TRUE(waitFor([this] { return !view()->showsPicture(); }, OpenMs));
}

TEST_F(PictureVlcTest, SamplesThatAreNotSquareShapeThePictureOnTheScreen) {
    ASSERT_TRUE(files.isValid());
    ASSERT_TRUE(ffmpeg(files.path(), {s("-f"), s("lavfi"), s("-i"),
                                      s("testsrc=size=160x120:rate=25"), s("-t"), s("20"), s("-vf"),
                                      s("setsar=2/1"), s("-c:v"), s("mpeg2video"), s("wide.mkv")}));
    serve(files.path(), s("/"));
    player->setURL(url("/wide.mkv"));
    // The shape is known when libVLC sets up its output, the picture's place once one is on show.
    ASSERT_TRUE(waitFor(
        [this] { return view()->frames()->shape().isValid() && view()->showsPicture(); }, OpenMs));
    const FrameExchange::Shape shape = view()->frames()->shape();
    EXPECT_EQ(shape.visible, QSize(160, 120));
    EXPECT_EQ(shape.sampleAspect.width(), 2 * shape.sampleAspect.height());
    player->setVideoZoom(VideoZoom::Original);
    EXPECT_EQ(view()->pictureRect().size(), QSize(320, 120));
}

// libVLC renders text subtitles and blends them into each picture before it hands it over:
// white letters over a black picture, there while the track is on and gone when it is off.
TEST_F(PictureVlcTest, SubtitlesAreBlendedIntoThePicturesWhileTheirTrackIsOn) {
    ASSERT_TRUE(files.isValid());
    QFile subtitles(files.filePath(s("subs.srt")));
    ASSERT_TRUE(subtitles.open(QIODevice::WriteOnly));
    // A line each second: one chosen on the way shows from the next on.
    for (int second = 0; second < 60; ++second) {
        subtitles.write(QStringLiteral("%1\n00:00:%2,000 --> 00:00:%2,900\nMMMMMMMM\n\n")
                            .arg(second + 1)
                            .arg(second, 2, 10, QLatin1Char('0'))
                            .toUtf8());
    }
    subtitles.close();
    ASSERT_TRUE(ffmpeg(files.path(),
                       {s("-f"), s("lavfi"), s("-i"), s("color=c=black:size=320x240:rate=25"),
                        s("-i"), s("subs.srt"), s("-map"), s("0:v"), s("-map"), s("1:s"), s("-t"),
                        s("60"), s("-c:v"), s("mpeg2video"), s("-c:s"), s("srt"), s("film.mkv")}));
    // From the file: libVLC reads back in it for the subtitles once their track is chosen.
    player->setURL(files.filePath(s("film.mkv")));
    ASSERT_TRUE(
        waitFor([this] { return player->tracks(TrackKind::Subtitle).size() == 1; }, OpenMs));
    player->chooseTrack(TrackKind::Subtitle, player->tracks(TrackKind::Subtitle).at(0).id);
    EXPECT_TRUE(waitFor([this] { return brightBelow(180) > 50; }, OpenMs))
        << "no letters in the picture: " << brightBelow(180);
    player->chooseTrack(TrackKind::Subtitle, MediaTrack::Off);
    EXPECT_TRUE(waitFor([this] { return brightBelow(180) == 0; }, OpenMs))
        << "letters left in the picture: " << brightBelow(180);
}

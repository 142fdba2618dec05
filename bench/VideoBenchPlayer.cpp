#include "VideoBenchPlayer.h"

#include "net/StreamSniffer.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace orvanto::bench {

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// Counts the pictures that reached the screen: the paints of the widget drawing the picture
// that show another picture than the paint before.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(VideoView& view) : view_(view) {}
    int painted() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == view_.drawingWidget()) {
            const quint64 number = view_.frame().number();
            if (number != 0 && number != last_) {
                last_ = number;
                ++painted_;
            }
        }
        return false;
    }

private:
    VideoView& view_;
    quint64 last_ = 0;
    int painted_ = 0;
};

} // namespace

int runPlayer(const QString& url, bool fullScreen, VideoDrawing drawing) {
    QWidget window;
    window.setWindowTitle(s("Orvanto Live TV"));
    window.resize(WindowWidth, WindowHeight);
    VlcPlayer player(&window, nullptr, drawing);
    VideoView* view = player.videoView();
    view->setGeometry(PictureRoom);
    window.show();
    auto engine = std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true});
    VlcEngine* vlc = engine.get();
    player.attach(std::move(engine), std::make_unique<StreamSniffer>());
    PaintCounter counter(*view);
    qApp->installEventFilter(&counter);
    player.setURL(url);
    if (fullScreen) {
        QObject::connect(view, &VideoView::pictureShown, view, [&](bool shown) {
            if (shown && !player.isFullScreen()) {
                player.setFullScreen(true);
            }
        });
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        const QByteArray command = QByteArray(line, n > 0 ? int(n) : 0).trimmed();
        if (n <= 0 || command == "quit") {
            QApplication::quit();
            return;
        }
        if (command == "stats") {
            const PlayerEngine::Stats stats = vlc->stats();
            std::printf("| video decoded    : %d\n| frames displayed : %d\n| frames lost      : "
                        "%d\n| frames painted   : %d\n| full screen      : %d\n",
                        stats.decodedVideo, stats.shownPictures, stats.lostPictures,
                        counter.painted(), player.isFullScreen() ? 1 : 0);
            std::fflush(stdout);
        }
    });
    return QApplication::exec();
}

} // namespace orvanto::bench

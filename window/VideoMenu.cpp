#include "window/VideoMenu.h"

#include "playback/MediaPlayer.h"
#include "window/Transport.h"

#include <QActionGroup>

namespace orvanto {

namespace {

// A group of exclusive choices in a submenu; the current one is checked.
template <typename Choice, typename Apply>
void addChoices(QMenu* menu, const QList<std::pair<QString, Choice>>& choices, Choice current,
                Apply apply) {
    auto* group = new QActionGroup(menu);
    for (const auto& [text, choice] : choices) {
        QAction* action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(choice == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu,
                         [apply, choice = choice] { apply(choice); });
    }
}

// The media's tracks of `kind` as choices; subtitles may also be turned off.
void addTracks(QMenu* menu, MediaPlayer& player, TrackKind kind) {
    QList<std::pair<QString, int>> choices;
    if (kind == TrackKind::Subtitle) {
        choices.append({QStringLiteral("Xoris ypotitlous"), MediaTrack::Off});
    }
    const QList<MediaTrack> tracks = player.tracks(kind);
    for (const MediaTrack& track : tracks) {
        choices.append({track.name, track.id});
    }
    menu->setEnabled(!tracks.isEmpty());
    addChoices<int>(menu, choices, player.currentTrack(kind),
                    [&player, kind](int id) { player.chooseTrack(kind, id); });
}

// An adaptive stream's qualities: its own choice, or the best up to a height.
void addQualities(QMenu* menu, MediaPlayer& player) {
    QList<std::pair<QString, int>> choices{{QStringLiteral("Aftomata"), 0}};
    const QList<int> heights = player.qualities();
    for (const int height : heights) {
        choices.append({QStringLiteral("%1p").arg(height), height});
    }
    menu->setEnabled(!heights.isEmpty());
    addChoices<int>(menu, choices, player.quality(),
                    [&player](int height) { player.chooseQuality(height); });
}

} // namespace

VideoMenu::VideoMenu(MediaPlayer& player, Transport& transport, QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("videoMenu"));
    setAttribute(Qt::WA_DeleteOnClose);

    addChoices<VideoZoom>(addMenu(QStringLiteral("Zoom")),
                          {{QStringLiteral("50 %"), VideoZoom::Half},
                           {QStringLiteral("100 %"), VideoZoom::Original},
                           {QStringLiteral("200 %"), VideoZoom::Double},
                           {QStringLiteral("Olo to parathiro"), VideoZoom::Fit}},
                          player.videoZoom(), [&player](VideoZoom z) { player.setVideoZoom(z); });
    addChoices<AspectRatio>(addMenu(QStringLiteral("Analogia")),
                            {{QStringLiteral("Proepilogi"), AspectRatio::Default},
                             {QStringLiteral("4:3"), AspectRatio::FourThree},
                             {QStringLiteral("16:9"), AspectRatio::SixteenNine}},
                            player.aspectRatio(),
                            [&player](AspectRatio r) { player.setAspectRatio(r); });
    addSeparator();

    QMenu* audio = addMenu(QStringLiteral("Ixos"));
    audio->setObjectName(QStringLiteral("audioTracks"));
    addTracks(audio, player, TrackKind::Audio);
    QMenu* subtitles = addMenu(QStringLiteral("Ypotitloi"));
    subtitles->setObjectName(QStringLiteral("subtitleTracks"));
    addTracks(subtitles, player, TrackKind::Subtitle);
    QMenu* quality = addMenu(QStringLiteral("Poiotita"));
    quality->setObjectName(QStringLiteral("qualities"));
    addQualities(quality, player);
    addSeparator();

    QAction* fullScreen = addAction(QStringLiteral("Othoni"));
    fullScreen->setCheckable(true);
    fullScreen->setChecked(player.isFullScreen());
    fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    connect(fullScreen, &QAction::triggered, this,
            [&player](bool on) { player.setFullScreen(on); });
    addSeparator();

    connect(addAction(QStringLiteral("Paixe")), &QAction::triggered, this,
            [&transport] { transport.play(); });
    connect(addAction(QStringLiteral("Stop")), &QAction::triggered, this,
            [&transport] { transport.stop(); });
    QAction* mute = addAction(QStringLiteral("Xoris ixo"));
    mute->setCheckable(true);
    mute->setChecked(player.isMuted());
    connect(mute, &QAction::triggered, this, [&player](bool on) { player.setMuted(on); });
}

} // namespace orvanto

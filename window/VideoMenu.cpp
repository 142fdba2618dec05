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

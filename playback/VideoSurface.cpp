#include "playback/VideoSurface.h"

#include "playback/GlVideoSurface.h"
#include "playback/RasterVideoSurface.h"

#include <QOpenGLContext>

namespace orvanto {

bool openGlAvailable() {
    static const bool available = [] {
        QOpenGLContext probe;
        return probe.create();
    }();
    return available;
}

VideoSurface* makeVideoSurface(bool openGl, QWidget* parent, Qt::WindowFlags flags) {
    if (openGl) {
        return new GlVideoSurface(parent, flags);
    }
    return new RasterVideoSurface(parent, flags);
}

} // namespace orvanto

#include "playback/VideoSurface.h"

#include "playback/GlVideoSurface.h"
#include "playback/OpenGlProbe.h"
#include "playback/RasterVideoSurface.h"

namespace orvanto {

bool openGlContexts() {
    static const bool found = !openGlRenderer().isEmpty();
    return found;
}

VideoSurface* makeVideoSurface(bool openGl, QWidget* parent, Qt::WindowFlags flags) {
    if (openGl) {
        return new GlVideoSurface(parent, flags);
    }
    return new RasterVideoSurface(parent, flags);
}

} // namespace orvanto

#include "playback/VideoSurface.h"

#include "playback/GlVideoSurface.h"
#include "playback/RasterVideoSurface.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace orvanto {

namespace {

struct OpenGlProbe {
    bool contexts = false;
    bool gpu = false;
};

const OpenGlProbe& probe() {
    static const OpenGlProbe found = [] {
        OpenGlProbe result;
        QOpenGLContext context;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (!context.create() || !context.makeCurrent(&surface)) {
            return result;
        }
        result.contexts = true;
        // A renderer on the CPU (Mesa's llvmpipe and softpipe, other software rasterisers)
        // spends far more on scaling and composing the window than drawing on the CPU does.
        const auto* name = context.functions()->glGetString(GL_RENDERER);
        const QByteArray renderer =
            QByteArray(name ? reinterpret_cast<const char*>(name) : "").toLower();
        context.doneCurrent();
        result.gpu = !renderer.isEmpty() && !renderer.contains("llvmpipe") &&
                     !renderer.contains("softpipe") && !renderer.contains("software");
        return result;
    }();
    return found;
}

} // namespace

bool openGlContexts() {
    return probe().contexts;
}

bool gpuDrawsPictures() {
    return probe().gpu;
}

VideoSurface* makeVideoSurface(bool openGl, QWidget* parent, Qt::WindowFlags flags) {
    if (openGl) {
        return new GlVideoSurface(parent, flags);
    }
    return new RasterVideoSurface(parent, flags);
}

} // namespace orvanto

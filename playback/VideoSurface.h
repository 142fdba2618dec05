#pragma once

#include "playback/FrameExchange.h"
#include "playback/VideoPlacement.h"

#include <QRect>

class QWidget;

namespace orvanto {

// A widget that draws the pictures: on the GPU with OpenGL where the platform has it, else on
// the CPU. Black around the picture and without one.
class VideoSurface {
public:
    virtual ~VideoSurface() = default;

    virtual QWidget* widget() = 0;
    // Shows `frame` (a null frame: none) laid out by `layout`.
    virtual void present(const VideoFrame& frame, const PictureLayout& layout) = 0;
    // Where the picture is drawn, in the widget's device pixels; empty without a picture.
    virtual QRect pictureRect() const = 0;
};

// Whether OpenGL contexts can be made on this platform, found out once, in this process (which
// loads the OpenGL driver: for drawing with OpenGL only).
bool openGlContexts();

// A new surface in `parent` (with `flags`: a window of its own for full screen), drawn with
// OpenGL when `openGl` says so.
VideoSurface* makeVideoSurface(bool openGl, QWidget* parent, Qt::WindowFlags flags = {});

} // namespace orvanto

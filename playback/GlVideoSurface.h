#pragma once

#include "playback/VideoSurface.h"

#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <array>
#include <memory>

class QOpenGLShaderProgram;

namespace orvanto {

// Draws the pictures with OpenGL: each plane goes into a texture of its own as it is, and a
// shader converts YUV to RGB while it scales the picture to its place, in device pixels.
class GlVideoSurface final : public QOpenGLWidget, public VideoSurface, protected QOpenGLFunctions {
    Q_OBJECT
public:
    explicit GlVideoSurface(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~GlVideoSurface() override;

    QWidget* widget() override { return this; }
    void present(const VideoFrame& frame, const PictureLayout& layout) override;
    QRect pictureRect() const override;

Q_SIGNALS:
    // OpenGL could not be set up here after all: draw on the CPU instead.
    void failed();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void contextGone();
    void releaseGl();
    void upload();

    VideoFrame frame_;
    PictureLayout layout_;
    bool uploaded_ = false; // frame_ is in the textures
    std::unique_ptr<QOpenGLShaderProgram> program_;
    std::array<GLuint, FrameFormat::Planes> textures_{};
    FrameFormat textureFormat_; // what the textures were made for
};

} // namespace orvanto

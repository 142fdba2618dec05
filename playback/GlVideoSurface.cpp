#include "playback/GlVideoSurface.h"

#include "playback/YuvToRgb.h"

#include <QGenericMatrix>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QTimer>
#include <QVector2D>
#include <QVector3D>

namespace orvanto {

namespace {

Q_LOGGING_CATEGORY(lcVideo, "orvanto.video")

// GLSL that compiles as desktop 1.10 and as ES 1.00 (Qt adds the version line).
const char* const kVertexShader = R"(
attribute vec2 position;
attribute vec2 texcoord;
varying vec2 coord;
void main() {
    coord = texcoord;
    gl_Position = vec4(position, 0.0, 1.0);
})";

const char* const kFragmentShader = R"(
#ifdef GL_ES
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
#endif
varying vec2 coord;
uniform sampler2D planeY;
uniform sampler2D planeU;
uniform sampler2D planeV;
// Across, the textures are as wide as the planes' pitch: only part of them is picture.
uniform vec2 spanY;
uniform vec2 spanC;
uniform mat3 matrix;
uniform vec3 offset;
void main() {
    vec3 yuv = vec3(texture2D(planeY, vec2(spanY.x + coord.x * spanY.y, coord.y)).r,
                    texture2D(planeU, vec2(spanC.x + coord.x * spanC.y, coord.y)).r,
                    texture2D(planeV, vec2(spanC.x + coord.x * spanC.y, coord.y)).r);
    gl_FragColor = vec4(matrix * (yuv - offset), 1.0);
})";

// From the centre of a plane's first sample to the centre of its last, in texture coordinates
// of a texture `pitch` wide: the padding beyond the picture never bleeds in.
QVector2D span(int width, int pitch) {
    return QVector2D(0.5f / float(pitch), float(std::max(width - 1, 0)) / float(pitch));
}

} // namespace

GlVideoSurface::GlVideoSurface(QWidget* parent, Qt::WindowFlags flags)
    : QOpenGLWidget(parent, flags) {}

GlVideoSurface::~GlVideoSurface() {
    if (context()) {
        // QOpenGLWidget destroys its context after this destructor: no call back into it then.
        context()->disconnect(this);
        makeCurrent();
        releaseGl();
        doneCurrent();
    }
}

void GlVideoSurface::present(const VideoFrame& frame, const PictureLayout& layout) {
    frame_ = frame;
    layout_ = layout;
    uploaded_ = false;
    update();
}

QRect GlVideoSurface::pictureRect() const {
    if (frame_.isNull()) {
        return {};
    }
    const qreal ratio = devicePixelRatioF();
    return placePicture(layout_, QSize(qRound(width() * ratio), qRound(height() * ratio)));
}

void GlVideoSurface::initializeGL() {
    initializeOpenGLFunctions();
    // The context goes with a new window (a surface made a window, or back): what lived in the
    // old one is made again for the new.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GlVideoSurface::contextGone,
            Qt::UniqueConnection);
    program_ = std::make_unique<QOpenGLShaderProgram>();
    if (!program_->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader) ||
        !program_->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader) ||
        !program_->link()) {
        qCWarning(lcVideo, "cannot draw video with OpenGL: %s", qUtf8Printable(program_->log()));
        program_.reset();
        QTimer::singleShot(0, this, &GlVideoSurface::failed);
        return;
    }
    glGenTextures(FrameFormat::Planes, textures_.data());
    for (GLuint texture : textures_) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    textureFormat_ = {};
    uploaded_ = false;
}

void GlVideoSurface::contextGone() {
    makeCurrent();
    releaseGl();
    doneCurrent();
}

void GlVideoSurface::releaseGl() {
    if (textures_[0]) {
        glDeleteTextures(FrameFormat::Planes, textures_.data());
        textures_ = {};
    }
    program_.reset();
    textureFormat_ = {};
    uploaded_ = false;
}

// Each plane as it is, one byte a sample, into a texture of its own (luminance: read as .r).
void GlVideoSurface::upload() {
    const FrameFormat& format = frame_.format();
    const bool remake = !(format == textureFormat_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
        glActiveTexture(GL_TEXTURE0 + GLenum(plane));
        glBindTexture(GL_TEXTURE_2D, textures_[size_t(plane)]);
        const GLsizei width = format.pitches[size_t(plane)];
        const GLsizei height = format.planeHeight(plane);
        if (remake) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, width, height, 0, GL_LUMINANCE,
                         GL_UNSIGNED_BYTE, frame_.plane(plane));
        } else {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                            frame_.plane(plane));
        }
    }
    glActiveTexture(GL_TEXTURE0);
    textureFormat_ = format;
    uploaded_ = true;
}

void GlVideoSurface::paintGL() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (frame_.isNull() || !program_) {
        return;
    }
    if (!uploaded_) {
        upload();
    }
    const QRect picture = pictureRect();
    const qreal ratio = devicePixelRatioF();
    const float w = float(qRound(width() * ratio));
    const float h = float(qRound(height() * ratio));
    const float left = float(picture.left()) / w * 2 - 1;
    const float right = float(picture.left() + picture.width()) / w * 2 - 1;
    const float top = 1 - float(picture.top()) / h * 2;
    const float bottom = 1 - float(picture.top() + picture.height()) / h * 2;
    const GLfloat positions[] = {left, top, right, top, left, bottom, right, bottom};
    const GLfloat texcoords[] = {0, 0, 1, 0, 0, 1, 1, 1};

    const FrameFormat& format = frame_.format();
    const YuvToRgb colours = YuvToRgb::forFormat(format);
    program_->bind();
    program_->setUniformValue("planeY", 0);
    program_->setUniformValue("planeU", 1);
    program_->setUniformValue("planeV", 2);
    program_->setUniformValue("spanY", span(format.planeWidth(0), format.pitches[0]));
    program_->setUniformValue("spanC", span(format.planeWidth(1), format.pitches[1]));
    program_->setUniformValue("matrix", QMatrix3x3(colours.matrix.data()));
    program_->setUniformValue("offset",
                              QVector3D(colours.offset[0], colours.offset[1], colours.offset[2]));
    program_->enableAttributeArray("position");
    program_->enableAttributeArray("texcoord");
    program_->setAttributeArray("position", positions, 2);
    program_->setAttributeArray("texcoord", texcoords, 2);
    for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
        glActiveTexture(GL_TEXTURE0 + GLenum(plane));
        glBindTexture(GL_TEXTURE_2D, textures_[size_t(plane)]);
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glActiveTexture(GL_TEXTURE0);
    program_->disableAttributeArray("position");
    program_->disableAttributeArray("texcoord");
    program_->release();
}

} // namespace orvanto

#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>

namespace orvanto {

// Whether a GPU draws OpenGL here, found out in a short-lived process (the viewer's own program
// started with openGlProbeArgument()), so that the viewer itself loads no OpenGL driver where
// its pictures are drawn on the CPU anyway: Mesa's llvmpipe alone brings libLLVM, tens of
// megabytes. A probe that fails, crashes, says nothing or takes longer than its time counts as
// no GPU; a driver that crashes on its first context then takes only the probe with it.
class OpenGlProbe : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 10000;
    // What the probe may print: a renderer's name, not more.
    static constexpr qint64 MaxAnswerBytes = 4096;

    OpenGlProbe(QString program, QStringList arguments, int timeoutMs = DefaultTimeoutMs,
                QObject* parent = nullptr);
    ~OpenGlProbe() override;

    // Starts the probe; found() follows once.
    void start();

Q_SIGNALS:
    // `renderer`: the name the probe printed (empty when it found none).
    void found(bool gpu, const QByteArray& renderer);

private:
    void finish();

    QString program_;
    QStringList arguments_;
    QProcess process_;
    QTimer timeout_;
    QByteArray answer_;
    bool done_ = false;
};

// The argument that makes the program the probe: it prints its renderer and exits.
inline constexpr char openGlProbeArgument[] = "--probe-opengl";

// In this process: the renderer of an OpenGL context made on the platform's offscreen surface
// ("llvmpipe (LLVM 15.0.6, 256 bits)", ...); empty when no context can be made. Needs a
// QGuiApplication.
QByteArray openGlRenderer();

// Whether `renderer` (a GL_RENDERER string) is a GPU's, not a rasteriser on the CPU (Mesa's
// llvmpipe and softpipe, other software renderers), which spends far more on scaling and
// composing the picture than drawing it on the CPU does.
bool isGpuRenderer(const QByteArray& renderer);

} // namespace orvanto

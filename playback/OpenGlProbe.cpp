#include "playback/OpenGlProbe.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace orvanto {

OpenGlProbe::OpenGlProbe(QString program, QStringList arguments, int timeoutMs, QObject* parent)
    : QObject(parent), program_(std::move(program)), arguments_(std::move(arguments)) {
    timeout_.setSingleShot(true);
    timeout_.setInterval(timeoutMs);
    connect(&timeout_, &QTimer::timeout, this, &OpenGlProbe::finish);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&process_, &QProcess::readyReadStandardOutput, this, [this] {
        answer_ += process_.read(MaxAnswerBytes - answer_.size());
        if (answer_.size() >= MaxAnswerBytes) {
            finish(); // more than a renderer's name: not an answer
        }
    });
    connect(&process_, &QProcess::finished, this, &OpenGlProbe::finish);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            finish();
        }
    });
}

OpenGlProbe::~OpenGlProbe() {
    done_ = true;
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(1000); // killed: it ends at once
    }
}

void OpenGlProbe::start() {
    timeout_.start();
    process_.start(program_, arguments_, QIODevice::ReadOnly);
}

void OpenGlProbe::finish() {
    if (done_) {
        return;
    }
    done_ = true;
    timeout_.stop();
    bool answered = false;
    if (process_.state() == QProcess::NotRunning) {
        answer_ += process_.read(MaxAnswerBytes - answer_.size());
        answered = process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0 &&
                   answer_.size() < MaxAnswerBytes;
    } else {
        process_.kill(); // hung, or talking too much
    }
    const QByteArray renderer = answered ? answer_.trimmed() : QByteArray();
    Q_EMIT found(isGpuRenderer(renderer), renderer);
}

QByteArray openGlRenderer() {
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) {
        return {};
    }
    const auto* name = context.functions()->glGetString(GL_RENDERER);
    QByteArray renderer(name ? reinterpret_cast<const char*>(name) : "");
    context.doneCurrent();
    return renderer;
}

bool isGpuRenderer(const QByteArray& renderer) {
    const QByteArray name = renderer.toLower();
    return !name.isEmpty() && !name.contains("llvmpipe") && !name.contains("softpipe") &&
           !name.contains("software");
}

} // namespace orvanto

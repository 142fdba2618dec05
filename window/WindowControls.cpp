#include "window/WindowControls.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace orvanto {

WindowControls::WindowControls(QWidget& window) : QObject(&window), window_(window) {
    window_.installEventFilter(this);
}

int WindowControls::toPixels(int twips) {
    return static_cast<int>(std::lround(twips / static_cast<double>(TwipsPerPixel)));
}

void WindowControls::add(const QString& name, int index, QWidget* widget) {
    if (index < 0) {
        singles_.insert(name, widget);
        return;
    }
    QList<QWidget*>& elements = arrays_[name];
    if (elements.size() <= index) {
        elements.resize(index + 1, nullptr);
    }
    elements[index] = widget;
}

QWidget* WindowControls::control(const QString& name) const {
    return singles_.value(name, nullptr);
}

QWidget* WindowControls::control(const QString& arrayName, int index) const {
    const auto it = arrays_.constFind(arrayName);
    if (it == arrays_.cend() || index < 0 || index >= it->size()) {
        return nullptr;
    }
    return it->at(index);
}

// A requested size is reported as requested while the window still has the pixel size it
// maps to, so that 5030 twips read back as 5030 and not as 335 pixels' 5025.
int WindowControls::widthTwips() const {
    const int pixels = window_.frameGeometry().width();
    if (requestedWidth_ >= 0 && pixels == toPixels(requestedWidth_)) {
        return requestedWidth_;
    }
    return pixels * TwipsPerPixel;
}

int WindowControls::heightTwips() const {
    const int pixels = window_.frameGeometry().height();
    if (requestedHeight_ >= 0 && pixels == toPixels(requestedHeight_)) {
        return requestedHeight_;
    }
    return pixels * TwipsPerPixel;
}

void WindowControls::setWidthTwips(int twips) {
    requestedWidth_ = twips;
    applySize();
}

void WindowControls::setHeightTwips(int twips) {
    requestedHeight_ = twips;
    applySize();
}

QSize WindowControls::frameMargins() const {
    return window_.frameGeometry().size() - window_.geometry().size();
}

// The user does not resize the window; only the program does.
void WindowControls::applySize() {
    appliedMargins_ = frameMargins();
    const int width = requestedWidth_ >= 0 ? toPixels(requestedWidth_) - appliedMargins_.width()
                                           : window_.width();
    const int height = requestedHeight_ >= 0 ? toPixels(requestedHeight_) - appliedMargins_.height()
                                             : window_.height();
    window_.setFixedSize(std::max(width, 1), std::max(height, 1));
}

bool WindowControls::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && (requestedWidth_ >= 0 || requestedHeight_ >= 0)) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            if (frameMargins() != appliedMargins_) {
                applySize();
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvanto

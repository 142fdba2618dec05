#pragma once

#include <QLabel>

namespace orvanto {

// A label that reports clicks, as the window's labels act as buttons.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace orvanto

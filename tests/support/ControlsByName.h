#pragma once

#include "window/FormControls.h"

#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace orvanto::test {

// Stands in for the main window: a plain widget holding real controls that are found by
// their names. The controls are children of the window and live as long as it does.
class ControlsByName final : public FormControls {
public:
    QPushButton* addButton(const QString& name, const QString& caption = QString()) {
        auto* button = new QPushButton(caption, &window_);
        button->setObjectName(name);
        controls_.insert(name, button);
        return button;
    }

    QLabel* addLabel(const QString& name, const QString& caption = QString()) {
        auto* label = new QLabel(caption, &window_);
        label->setObjectName(name);
        label->resize(257, 25);
        controls_.insert(name, label);
        return label;
    }

    QWidget* control(const QString& name) const override { return controls_.value(name); }
    QWidget* control(const QString& arrayName, int index) const override {
        return controls_.value(arrayName + QLatin1Char('(') + QString::number(index) +
                               QLatin1Char(')'));
    }
    QWidget* window() const override { return const_cast<QWidget*>(&window_); }
    int widthTwips() const override { return window_.width() * TwipsPerPixel; }
    void setWidthTwips(int twips) override { window_.resize(twips / TwipsPerPixel, 600); }

private:
    QWidget window_;
    QHash<QString, QWidget*> controls_;
};

} // namespace orvanto::test

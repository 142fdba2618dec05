#pragma once

#include "window/FormControls.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

namespace orvanto {

// The main window's controls by name, and the window's size in twips.
//
// Sizes are outer sizes where the platform reports a frame, else client sizes. A window
// manager reports the frame only after the window is mapped, so the requested outer size is
// applied again whenever the frame turns out to differ.
class WindowControls final : public QObject, public FormControls {
    Q_OBJECT
public:
    explicit WindowControls(QWidget& window);

    // Registers a control; `index` is its place in a control array, or negative for none.
    void add(const QString& name, int index, QWidget* widget);

    using FormControls::control;
    QWidget* control(const QString& name) const override;
    QWidget* control(const QString& arrayName, int index) const override;
    QWidget* window() const override { return &window_; }
    int widthTwips() const override;
    void setWidthTwips(int twips) override;
    int heightTwips() const;
    void setHeightTwips(int twips);

    template <class T> T* get(const QString& name) const { return qobject_cast<T*>(control(name)); }
    template <class T> T* get(ControlRole role) const { return qobject_cast<T*>(control(role)); }
    template <class T> T* get(const QString& arrayName, int index) const {
        return qobject_cast<T*>(control(arrayName, index));
    }

    static int toPixels(int twips);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSize frameMargins() const;
    void applySize();

    QWidget& window_;
    QHash<QString, QWidget*> singles_;
    QHash<QString, QList<QWidget*>> arrays_;
    int requestedWidth_ = -1; // twips; negative until set
    int requestedHeight_ = -1;
    QSize appliedMargins_;
};

} // namespace orvanto

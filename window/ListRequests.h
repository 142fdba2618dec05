#pragma once

#include <QObject>

class QWidget;

namespace orvanto {

// The ways a user asks the window for another channel list: Ctrl+O (a file dialog for M3U
// lists), Ctrl+L (a box asking for an http(s) address) and dropping a list file or address on
// the window. The dialogs never block: they are opened, and answer when the user has chosen.
class ListRequests : public QObject {
    Q_OBJECT
public:
    // Watches `window` for the keys and drops; it becomes the parent.
    explicit ListRequests(QWidget* window);

    // Opens the file dialog.
    void chooseFile();
    // Opens the box for an address.
    void askAddress();

Q_SIGNALS:
    // The user asked for the list at `source`: a file path or an http(s) address.
    void requested(const QString& source);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

} // namespace orvanto

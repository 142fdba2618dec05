#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace orvanto {

class FormControls;
class MessageSink;
class UrlOpener;

// What the shortcut controls do: open a fixed address with the default handler, or show the
// read-me text. Nothing else of the program changes.
class WebShortcuts {
public:
    WebShortcuts(UrlOpener& opener, MessageSink& messages);

    // Opens `address` exactly as given; when no handler can be started, says so in a box
    // titled "Lathos" that names the address.
    void openAddress(const QString& address);

    // The read-me text in a box with OK only, no icon, titled with the application's title.
    void showReadMe();

    static QString openFailedText(const QString& address);

private:
    UrlOpener& opener_;
    MessageSink& messages_;
};

// The read-me button.
inline constexpr QLatin1String ReadMeControl("Command47");

// Connects every control of the shortcut table (buttons on click, the e-mail label on a left
// click, through an event filter owned by the label) and the read-me button, and sets the
// e-mail label's caption. `shortcuts` must outlive the controls. Returns the names of the
// controls that are missing or of the wrong kind (empty when everything is bound).
QStringList BindWebShortcuts(const FormControls& controls, WebShortcuts& shortcuts);

} // namespace orvanto

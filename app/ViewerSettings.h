#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;

namespace orvanto {

// What the viewer remembers between runs, in an INI file: the last list opened, the volume, and
// the favourites and the guide address of each list. A damaged or unreadable file is not used (and
// not overwritten): the viewer starts as if nothing had been saved, and warning() says why.
class ViewerSettings {
public:
    // The list key of the built-in stations, for their favourites.
    static const QString BuiltinList;

    // `path` is the settings file; it need not exist yet.
    explicit ViewerSettings(const QString& path);
    ~ViewerSettings();
    ViewerSettings(const ViewerSettings&) = delete;
    ViewerSettings& operator=(const ViewerSettings&) = delete;

    // The usual file: orvanto-tv/orvanto-tv.conf in the user's configuration directory.
    static QString defaultPath();

    // Non-empty when the file could not be used, and why.
    const QString& warning() const { return warning_; }

    // The list opened last (an absolute path or an http(s) address), or empty.
    QString lastList() const;
    void setLastList(const QString& list);

    // The provider accounts whose passwords are kept (xtream://USER@host:port), the latest
    // first; never a password.
    QStringList accounts() const;
    void setAccounts(const QStringList& accounts);

    // The volume 0..100, if one was saved.
    std::optional<int> volume() const;
    void setVolume(int volume);

    // The favourites saved for `list` (a lastList() value or BuiltinList), in order.
    QStringList favourites(const QString& list) const;
    void setFavourites(const QString& list, const QStringList& names);

    // The guide address the user set for `list`, or empty (the list's own guides are used).
    QString guideAddress(const QString& list) const;
    // Sets it; an empty address forgets it.
    void setGuideAddress(const QString& list, const QString& address);

    // The folder recordings go to, as the user set it in the file ([recordings] folder=...);
    // empty: the desktop's videos and music folders.
    QString recordingFolder() const;
    // How long a paused live channel keeps what arrives, in minutes ([pause] minutes=, 30 by
    // default, 1 to 600).
    int pauseMinutes() const;
    // The minutes a scheduled recording starts before its programme and goes on after it
    // ([recordings] before=2, after=5), 0 to MaxPaddingMinutes; in seconds.
    static constexpr int MaxPaddingMinutes = 60;
    struct Padding {
        qint64 before = 2 * 60;
        qint64 after = 5 * 60;
    };
    Padding recordingPadding() const;

    // Writes what has changed; false (and a warning) when it could not be written.
    bool save();

private:
    std::unique_ptr<QSettings> settings_; // nullptr when the file is not used
    QString warning_;
};

} // namespace orvanto

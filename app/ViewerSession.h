#pragma once

#include <QObject>
#include <QString>
#include <optional>

namespace orvanto {

class Viewer;
class ViewerSettings;

// What the viewer keeps from one run to the next, and the rules for it: the list that opens at
// start (the one named on the command line, else the one that loaded last), the favourites and
// the guide address of each list, and the volume, which is written only for a user who has saved
// or changed one.
class ViewerSession : public QObject {
    Q_OBJECT
public:
    // Both outlive the session. The saved volume goes to the player at once.
    ViewerSession(Viewer& viewer, ViewerSettings& settings, QObject* parent = nullptr);

    // Starts the viewer with the built-in stations, then opens `list` (empty: the list that
    // loaded last time, if any) as any other list is opened: one that cannot be used leaves
    // the built-in stations on show and says why.
    void start(const QString& list);

    // The run ends: writes what is to be kept.
    void finish();

    // The saved name of the list on show (BuiltinList for the built-in stations).
    const QString& shownList() const { return shownList_; }

    // How a list is remembered: a file by its absolute path, so that it is found again from any
    // working folder; an address as it is.
    static QString savedListName(const QString& source);

private:
    void showList(const QString& savedName);

    Viewer& viewer_;
    ViewerSettings& settings_;
    QString shownList_;
    std::optional<int> savedVolume_;
    int startVolume_ = 0;
};

} // namespace orvanto

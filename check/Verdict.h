#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace orvanto {

// What checking one address found out.
struct Verdict {
    enum class Kind {
        NotChecked,       // the check was stopped before this address was done
        Plays,            // audio or video decoded
        Refused,          // nobody listens there
        HostNotFound,     // the name does not resolve (or the resolver did not answer: noAnswer)
        HttpStatus,       // the server answered with an error status (httpStatus)
        TimedOut,         // nothing decoded within the time limit
        NotMedia,         // a web page, or bytes that decode to nothing
        EmptyPlaylist,    // a playlist none of whose entries plays
        EndedAtOnce,      // the connection closed before any media came
        Unsupported,      // the player has no way to open addresses of this scheme (scheme)
        TooManyRedirects, // the server redirected more often than a player follows (a loop)
        FileNotFound,     // a local file that is not there
    };

    Kind kind = Kind::NotChecked;
    int httpStatus = 0;
    bool noAnswer = false; // HostNotFound: the name server did not answer in time
    QString scheme;        // Unsupported
    // When it plays: what the engine reports, and the address that finally played (an entry of
    // a playlist, when playlists were followed).
    QStringList codecs;
    QSize videoSize;
    QString finalAddress;
    qint64 elapsedMs = 0; // how long the check of this address took
    // Entries of the playlists it led to that were not tried, beyond the most taken of one.
    int playlistEntriesLeftOut = 0;

    bool plays() const { return kind == Kind::Plays; }
};

// A short machine name for `kind` ("plays", "refused", "http-status", ...).
QString verdictKey(Verdict::Kind kind);
// The verdict in words for a person ("HTTP status 404", "plays (mp3, 640x360)", ...), with
// the playlist entries left out.
QString verdictText(const Verdict& verdict);
// "N playlist entries beyond the first 64 not tried", for a count above zero.
QString entriesLeftOutText(int count);

} // namespace orvanto

#pragma once

#include "catalogue/ArchiveAddress.h"

#include <QObject>
#include <QString>
#include <vector>

namespace orvanto {

class Catalogue;
class Clock;
class FailoverPlayer;
class MediaPlayer;
class MessageSink;
struct Station;

// A programme of a channel's guide, as its archive is asked for it. Times are seconds since the
// epoch (UTC).
struct ArchiveProgramme {
    qint64 start = 0;
    qint64 stop = 0;
    QString title;
    QString catchupId;
};

// A channel's past programmes played from its archive: the addresses of the programme are made
// from those of the channel's addresses that have an archive reaching back to it, in their order,
// and tried as the channel's own are; the position counts within the programme, a seek goes into
// the media where it can be sought in, or asks the archive for a later start where the archive
// is addressed by start (shift, flussonic); when the programme ends the next one follows, as a
// recording would; an archive that breaks off is asked again from where it was; back to live
// plays the channel itself.
class ArchivePlayback : public QObject {
    Q_OBJECT
public:
    // All must outlive this.
    ArchivePlayback(const Catalogue& catalogue, FailoverPlayer& failover, MediaPlayer& player,
                    MessageSink& messages, const Clock& clock, QObject* parent = nullptr);
    ~ArchivePlayback() override;

    // Whether one of `station`'s archives reaches back to a programme that started at `start`,
    // at `now`, and that programme has started.
    static bool reaches(const Station& station, qint64 start, qint64 now);

    // Plays programme `index` of `programmes` (the channel's, in order) from the archive of the
    // catalogue station `name`, `offsetSeconds` into it. False, with a message box saying why,
    // when no archive of the station can be asked for it.
    bool play(const QString& name, std::vector<ArchiveProgramme> programmes, int index,
              qint64 offsetSeconds = 0);
    // An archive plays or is being tried.
    bool isActive() const;
    // The programme that plays (valid while isActive()), and its channel.
    const ArchiveProgramme& programme() const;
    const QString& channel() const { return channel_; }

    // Where the archive stands within the programme, and the programme's length, in seconds.
    qint64 positionSeconds() const;
    qint64 lengthSeconds() const;
    // Whether a seek is possible now, and the seek to `seconds` into the programme (false when
    // refused).
    bool canSeek() const;
    bool seek(qint64 seconds);
    // Plays the channel live again.
    void backToLive();

Q_SIGNALS:
    // The programme, or whether an archive plays, has changed.
    void changed();
    // A seek took the archive to `seconds` into the programme.
    void sought(qint64 seconds);

private:
    struct Candidate {
        int slot = 0; // of the station's addresses
        ArchiveAddress address;
    };
    qint64 now() const;
    bool start(qint64 from, bool reportProblems);
    void onEnded();
    void onBrokeOff();
    void onAccepted(const QString& name, int index);

    const Catalogue& catalogue_;
    FailoverPlayer& failover_;
    MediaPlayer& player_;
    MessageSink& messages_;
    const Clock& clock_;
    QString channel_;
    std::vector<ArchiveProgramme> programmes_;
    int index_ = -1;
    std::vector<Candidate> candidates_; // of the attempt under way, or of the one accepted
    int accepted_ = -1;                 // index into candidates_, or -1
    qint64 from_ = 0;                   // the start asked of the archive
    qint64 resumeAt_ = 0;               // where to ask it again from after a break-off
};

} // namespace orvanto

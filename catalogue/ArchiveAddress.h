#pragma once

#include "catalogue/Catchup.h"

#include <QString>

namespace orvanto {

// What is asked of a channel's archive: a programme of its guide, from where in it, and when.
// Times are seconds since the epoch (UTC).
struct ArchiveRequest {
    qint64 start = 0; // the programme's start
    qint64 stop = 0;  // its end as scheduled (also for a programme still on air)
    qint64 from = 0;  // where playing is to begin: the start, or later (a seek)
    qint64 now = 0;
    QString catchupId; // the guide's catchup-id of the programme; may be empty
};

// The address of a past programme, or why there is none.
struct ArchiveAddress {
    QString url;     // empty when refused
    QString problem; // why it was refused, in words; empty when `url` is set
    // Whether a later start within the programme is a new address (the shift and flussonic
    // kinds): a seek there reopens the archive from the later start instead of seeking in the
    // media.
    bool seeksByAddress = false;
};

// Builds the address of `request` on the archive of the channel address `live` as `catchup`
// says: the template (or the kind's own form of the address) with its placeholders filled in.
//
// Placeholders, in {name} and ${name} form alike: utc and start (the `from` time), utcend and end,
// lutc, now and timestamp, Y m d H M S (of `from`), duration (from `from` to the end, seconds)
// and duration:X (divided by X), offset:X ((now - from) / X), utc:FORMAT (and start:, end:,
// now:, with the letters Y m d H M S of FORMAT replaced), catchup-id. The times are UTC with
// catchup-correction added; an Xc archive's dates are in its portal's zone where that is known.
// Every value is URL-encoded as it goes in. A template with an unknown placeholder, a result that
// is no valid http(s) address or is longer than an address may be, and a Vod programme without a
// catchup-id are refused: nothing is to be requested then.
ArchiveAddress archiveAddress(const QString& live, const Catchup& catchup,
                              const ArchiveRequest& request);

} // namespace orvanto

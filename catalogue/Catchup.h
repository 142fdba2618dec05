#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <functional>

namespace orvanto {

// How a channel's archive (catch-up) is addressed, as its list says: the #EXTINF attributes
// catchup (or catchup-type), catchup-source, catchup-days and catchup-correction, with the
// #EXTM3U line's as defaults that a channel overrides; the older timeshift="N" and tvg-rec="N"
// mean the shift kind with N days. A portal account says the same of its channels.
struct Catchup {
    enum class Kind : quint8 {
        None,      // no archive
        Default,   // the template is the whole address (a template that is no whole address is
                   // appended, as Append does)
        Append,    // the channel's address, then the template
        Shift,     // the channel's address with ?utc={utc}&lutc={lutc}
        Flussonic, // flussonic, flussonic-hls, flussonic-ts, fs: the address made a timeshift one
        Xc,        // an Xtream-style portal's /timeshift/ address
        Vod,       // the guide's catchup-id of the programme, through the template
    };
    // Days back when the list names none, and the most it may name.
    static constexpr int DefaultDays = 7;
    static constexpr int MaxDays = 365;
    // The most hours catchup-correction may add or take away.
    static constexpr int MaxCorrectionHours = 24;

    Kind kind = Kind::None;
    QString source;            // the template (catchup-source) as written; may be empty
    int days = 0;              // how many days back the archive reaches, 1..MaxDays
    int correctionSeconds = 0; // catchup-correction, made seconds: added to the times asked for
    QByteArray timeZone;       // the zone an Xc portal's dates are in (IANA id); empty: UTC

    bool enabled() const { return kind != Kind::None; }
    friend bool operator==(const Catchup&, const Catchup&) = default;
};

// The name of `kind` as lists write it ("default", "append", "shift", "flussonic", "xc", "vod";
// empty for None).
QString catchupKindName(Catchup::Kind kind);

// Reads the catch-up attributes of an #EXTINF line (or of the #EXTM3U line, with `defaults`
// empty) from `attributes` (the text after "#EXTINF:", duration first, or after "#EXTM3U").
// What the line does not say is taken from `defaults`. A value that cannot be used (an unknown
// kind, days that are no whole number from 1 to MaxDays, a correction beyond MaxCorrectionHours,
// a template with control characters or longer than an address may be) is named through
// `problem` ("catchup-days \"-1\" is no number of days from 1 to 365: 7 days are taken") and
// left out as the text says.
Catchup readCatchup(QStringView attributes, const Catchup& defaults,
                    const std::function<void(const QString&)>& problem);

} // namespace orvanto

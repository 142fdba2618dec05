#pragma once

#include <QLatin1String>
#include <QString>
#include <array>

namespace orvanto {

// A control of the main window that opens one fixed address with the user's default handler.
struct Shortcut {
    QLatin1String control;
    QLatin1String address;
};

// Every web shortcut of the button grid and the status row, and the e-mail label. The
// addresses are kept exactly as written, including the trailing blank of two of them.
// "Command17" and "Command32" open the same page.
inline constexpr std::array<Shortcut, 33> Shortcuts{{
    // Pages on a portal of stream links.
    {QLatin1String("Command14"), QLatin1String("http://streamlinks.example.com/live/et1.html")},
    {QLatin1String("Command18"), QLatin1String("http://streamlinks.example.com/tainies/")},
    // A TV-links site: films of 1950-1959, live football.
    {QLatin1String("Command15"), QLatin1String("http://tvlinks.example.net/tainies/1950-1959/")},
    {QLatin1String("Command16"), QLatin1String("http://tvlinks.example.net/sport/podosfero-live/")},
    // A directory site of live channels.
    {QLatin1String("Command17"), QLatin1String("http://livechannels.example.org/tv/asteri-tv/")},
    {QLatin1String("Command32"), QLatin1String("http://livechannels.example.org/tv/asteri-tv/")},
    {QLatin1String("Command21"), QLatin1String("http://livechannels.example.org/tv/tube-music/")},
    {QLatin1String("Command30"), QLatin1String("http://livechannels.example.org/tv/greek-music/")},
    // Sports streams.
    {QLatin1String("Command19"), QLatin1String("http://footballstreams.example.com/channels/")},
    {QLatin1String("Command36"), QLatin1String("http://footballstreams.example.com/today/")},
    {QLatin1String("Command20"), QLatin1String("http://sportstreams.example.net/football/")},
    // Channel pages on a live-video hosting service.
    {QLatin1String("Command22"), QLatin1String("http://livevideo.example.com/kanali10")},
    {QLatin1String("Command26"), QLatin1String("http://livevideo.example.com/kinigitv")},
    {QLatin1String("Command28"), QLatin1String("http://livevideo.example.com/egnatiatv")},
    {QLatin1String("Command49"), QLatin1String("http://livevideo.example.com/astratv")},
    // A channel page on a second live-video hosting service.
    {QLatin1String("Command38"),
     QLatin1String("http://videohost.example.net/channel/flaschtv#r=flaschtv&s=live")},
    // Channels' and clubs' own sites.
    {QLatin1String("Command24"), QLatin1String("http://tilesport.example/ ")},
    {QLatin1String("Command25"), QLatin1String("http://vegostv.example/")},
    {QLatin1String("Command27"), QLatin1String("http://paok.example/")},
    {QLatin1String("Command29"), QLatin1String("http://skaitv.example/player/tvlive")},
    {QLatin1String("Command35"), QLatin1String("http://epsilontv.example/live/")},
    // Films and videos.
    {QLatin1String("Command48"), QLatin1String("http://videosite.example.com/")},
    {QLatin1String("Command50"), QLatin1String("http://greekmovies.example.net/")},
    // News and personal sites.
    {QLatin1String("Command39"), QLatin1String("http://newsportal.example/")},
    {QLatin1String("Command40"), QLatin1String("http://dailynews.example/news/")},
    {QLatin1String("Command44"), QLatin1String("http://politician.example/ ")},
    // Tools: greeklish to Greek, web cameras, weather, translation.
    {QLatin1String("Command37"), QLatin1String("http://speechlab.example.org/demos/greeklish/")},
    {QLatin1String("Command51"), QLatin1String("http://university.example/webcams/live.html")},
    {QLatin1String("Command52"), QLatin1String("http://meteo.example.org/")},
    {QLatin1String("Command53"), QLatin1String("http://telecomportal.example.com/translate/")},
    // The status row: runtime download and a portal of live radio stations.
    {QLatin1String("Command55"),
     QLatin1String("http://download.example.com/silverlight/Silverlight.exe")},
    {QLatin1String("Command7"), QLatin1String("http://radiostations.example.net/")},
    // The e-mail label: a new message to the author.
    {QLatin1String("Label26"), QLatin1String("mailto:orvanto@example.org")},
}};

// The control that shows the contact address and opens a new message to it.
inline constexpr QLatin1String EmailLabelControl("Label26");

// The e-mail label's caption: "Klick edo Gia Email: " and the contact address.
QString EmailLabelText();

} // namespace orvanto

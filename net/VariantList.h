#pragma once

#include <QByteArrayView>
#include <QList>
#include <QUrl>

namespace orvanto {

// The qualities an adaptive stream offers: the picture heights of the variants of an HLS master
// playlist (#EXT-X-STREAM-INF's RESOLUTION) or of the video representations of a DASH manifest
// (height on a Representation, or on its AdaptationSet).
namespace VariantList {

// More variants than this are not listed.
inline constexpr int MaxVariants = 32;

// The distinct heights in `text`, highest first; empty for anything else (a media playlist, a
// stream, a manifest without heights).
QList<int> heights(QByteArrayView text);

// Whether the address names an HLS or DASH playlist by its ending (.m3u8, .mpd), the only
// addresses whose qualities are looked for.
bool mayBeAdaptive(const QUrl& url);

} // namespace VariantList

} // namespace orvanto

#pragma once

#include <QString>

namespace orvanto {

// A station button shows the station's name as its caption, and a press plays the station
// the caption names. Qt reads "&" in a caption as a shortcut marker, so the name's ampersands
// are doubled on the way in and halved on the way out.
namespace StationButtonCaption {

inline QString fromName(QString name) {
    return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

inline QString toName(QString caption) {
    return caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

} // namespace StationButtonCaption
} // namespace orvanto

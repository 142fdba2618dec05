#pragma once

#include "catalogue/Station.h"

#include <QObject>
#include <QString>

namespace orvanto {

// What a programme guide says is on a channel at this moment: the viewer asks it about the
// channel that plays, to tell the desktop. A guide answers; without one nothing is on.
class ProgrammeNow : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ProgrammeNow() override = default;

    // The title of the programme on `station` now; empty when the guide has none for it.
    virtual QString titleNow(const Station& station) const = 0;

Q_SIGNALS:
    // What is on may have changed: a new guide, or the next programme has begun.
    void changed();
};

} // namespace orvanto

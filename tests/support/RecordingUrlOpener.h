#pragma once

#include "shortcuts/UrlOpener.h"

#include <QStringList>

namespace orvanto::test {

// Records every address instead of opening it; `succeed` says what to report.
class RecordingUrlOpener final : public UrlOpener {
public:
    bool open(const QString& address) override {
        opened.append(address);
        return succeed;
    }

    QStringList opened;
    bool succeed = true;
};

} // namespace orvanto::test

#pragma once

#include "check/CheckSummary.h"

#include <QString>

namespace orvanto {

// Keeps the last check of each list in a folder (the user's cache folder), one file per list,
// so that a list opened again shows what was found the last time and when.
class CheckCache {
public:
    // A file larger than this is not a summary this program wrote, and is not read.
    static constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;

    explicit CheckCache(QString folder) : folder_(std::move(folder)) {}

    // The last check of the list named `list`; empty when there is none or it cannot be read.
    CheckSummary load(const QString& list) const;
    // Keeps `summary` as the last check of `list`, replacing the one before as a whole. An
    // empty string on success, otherwise why it could not be written.
    QString save(const QString& list, const CheckSummary& summary) const;

    // The file that holds the last check of `list`.
    QString fileFor(const QString& list) const;

private:
    QString folder_;
};

} // namespace orvanto

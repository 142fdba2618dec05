#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace orvanto {

class Catalogue;

// `text` made comparable for searching: accents and other combining marks dropped after
// canonical decomposition, then case-folded ("Ελληνικά" and "ελληνικα" fold alike). Letters of
// different alphabets stay apart.
QString foldForSearch(QStringView text);

// The searchable names of the first stations of a catalogue: finds them by a part of their name,
// ignoring case and accents, and by group. The names are folded once, when the filter is built,
// so that each search only compares.
class ChannelFilter {
public:
    ChannelFilter() = default;
    // Takes stations 1..count of `catalogue` (fewer if it holds fewer).
    ChannelFilter(const Catalogue& catalogue, int count);

    int size() const { return static_cast<int>(folded_.size()); }
    // The groups of the stations, each once, sorted for a person to read; without the empty one.
    const QStringList& groups() const { return groups_; }

    // Catalogue indices of the stations whose name contains `text` (folded; empty matches all)
    // and, unless `group` is empty, whose group is `group`; in catalogue order.
    std::vector<int> matches(QStringView text, const QString& group = {}) const;

private:
    struct Entry {
        QString name;   // folded
        int group = -1; // index into groups_, or -1 for none
    };
    std::vector<Entry> folded_; // station i is folded_[i - 1]
    QStringList groups_;        // sorted
    QStringList groupOrder_;    // in order of first appearance, as Entry::group counts them
};

} // namespace orvanto

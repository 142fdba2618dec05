#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <climits>
#include <vector>

namespace orvanto {

class Catalogue;

// `text` made comparable for searching: accents and other combining marks dropped after
// canonical decomposition, then case-folded ("Ελληνικά" and "ελληνικα" fold alike). Letters of
// different alphabets stay apart.
QString foldForSearch(QStringView text);

// The searchable names of the first stations of a catalogue: finds them by a part of their name,
// ignoring case and accents, and by group. The names are folded once, so that each search only
// compares: at once when the filter is built, or, for a list too long for that to go unnoticed,
// a part at a time (foldMore()) while the window goes on.
class ChannelFilter {
public:
    // Names a filter folds at once by default: a list of this size is folded in a few ms.
    static constexpr int FoldAtOnce = 20000;

    ChannelFilter() = default;
    // Takes stations 1..count of `catalogue` (fewer if it holds fewer), which must stay as it is
    // until the filter is complete; folds the first `foldNow` names.
    ChannelFilter(const Catalogue& catalogue, int count, int foldNow = INT_MAX);

    int size() const { return count_; }
    // Every name is folded, and the groups known.
    bool isComplete() const { return ends_.size() == static_cast<size_t>(count_); }
    // Folds up to `names` more names; true once the filter is complete.
    bool foldMore(int names);
    // The groups of the stations, each once, sorted for a person to read; without the empty one.
    // Empty until the filter is complete.
    const QStringList& groups() const { return groups_; }

    // Catalogue indices of the stations whose name contains `text` (folded; empty matches all)
    // and, unless `group` is empty, whose group is `group`; in catalogue order. Until the filter
    // is complete, a search with a text or a group looks through the names folded so far.
    std::vector<int> matches(QStringView text, const QString& group = {}) const;

private:
    // The folded names one after another in one text, so that a list of hundreds of thousands
    // costs its characters and two numbers a name: station i's name ends at ends_[i - 1], and
    // its group is groupOf_[i - 1] (an index into groupOrder_, or -1 for none).
    QString names_;
    std::vector<qsizetype> ends_;
    std::vector<int> groupOf_;
    QStringList groups_;     // sorted
    QStringList groupOrder_; // in order of first appearance, as Entry::group counts them
    const Catalogue* catalogue_ = nullptr;
    int count_ = 0;
    QHash<QString, int> groupIndex_; // while folding
};

} // namespace orvanto

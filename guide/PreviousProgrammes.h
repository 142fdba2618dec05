#pragma once

#include <QtGlobal>
#include <vector>

namespace orvanto {

// The programmes a store held when an import began, by the digest of the element each was read
// from: which of them the new guide has again (kept, unread), which one a changed element
// replaces, and which are left over at the end, to go.
class PreviousProgrammes {
public:
    struct Row {
        quint64 digest = 0;
        qint64 channel = 0;
        qint64 stop = 0;
    };

    void add(const Row& row) { rows_.push_back(row); }
    // Once every row is added.
    void sort();
    void clear();
    bool empty() const { return rows_.empty(); }

    // The rows of an element the new guide has again, unless they ended before `oldestStop`:
    // marked kept, and how many they are (0: the element is to be read).
    template <typename OnKept> qint64 keep(quint64 digest, qint64 oldestStop, OnKept onKept) {
        qint64 kept = 0;
        for (auto it = first(digest); it != rows_.end() && it->digest == digest; ++it) {
            const size_t index = size_t(it - rows_.begin());
            if (!handled_[index] && it->stop >= oldestStop) {
                handled_[index] = true;
                onKept(*it);
                ++kept;
            }
        }
        return kept;
    }
    // Whether the row of `digest` at (`channel`, `stop`) is one of before that the new guide has
    // not had again: then the new row replaces it, and it counts as handled.
    bool takeStale(quint64 digest, qint64 channel, qint64 stop);
    // The rows the new guide did not have again.
    template <typename OnRow> void forEachLeftOver(OnRow onRow) const {
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (!handled_[i]) {
                onRow(rows_[i]);
            }
        }
    }

private:
    std::vector<Row>::iterator first(quint64 digest);

    static constexpr quint32 Empty = 0xffffffff;

    std::vector<Row> rows_; // by digest
    std::vector<bool> handled_;
    std::vector<quint32> slots_; // indices into rows_, by digest
    size_t mask_ = 0;
};

} // namespace orvanto

#include "catalogue/ChannelFilter.h"

#include "catalogue/Catalogue.h"

#include <QCollator>
#include <QHash>
#include <algorithm>

namespace orvanto {

QString foldForSearch(QStringView text) {
    // Most names are plain ASCII: lowering is all their folding, in one pass and one string.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        QString folded(text.size(), Qt::Uninitialized);
        QChar* out = folded.data();
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            *out++ = QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u);
        }
        return folded;
    }
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing) {
            continue;
        }
        folded.append(c);
    }
    // Case folding maps the final sigma onto sigma, which lowering alone does not.
    return folded.toCaseFolded();
}

ChannelFilter::ChannelFilter(const Catalogue& catalogue, int count, int foldNow)
    : catalogue_(&catalogue), count_(std::clamp(count, 0, catalogue.StationCount())) {
    ends_.reserve(static_cast<size_t>(count_));
    groupOf_.reserve(static_cast<size_t>(count_));
    foldMore(foldNow);
}

bool ChannelFilter::foldMore(int names) {
    if (isComplete()) {
        return true;
    }
    const int from = static_cast<int>(ends_.size()) + 1;
    const int to =
        static_cast<int>(std::min<qint64>(count_, qint64(from) - 1 + std::max(0, names)));
    for (int i = from; i <= to; ++i) {
        const Station& station = catalogue_->station(i);
        names_ += foldForSearch(station.Name);
        ends_.push_back(names_.size());
        int group = -1;
        if (!station.Group.isEmpty()) {
            auto it = groupIndex_.constFind(station.Group);
            if (it == groupIndex_.cend()) {
                it = groupIndex_.insert(station.Group, static_cast<int>(groupOrder_.size()));
                groupOrder_.append(station.Group);
            }
            group = *it;
        }
        groupOf_.push_back(group);
    }
    if (!isComplete()) {
        return false;
    }
    names_.squeeze();
    groupIndex_.clear();
    groups_ = groupOrder_;
    // Entries keep the index of first appearance; only the list shown is sorted.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(groups_.begin(), groups_.end(), collator);
    return true;
}

std::vector<int> ChannelFilter::matches(QStringView text, const QString& group) const {
    const QString needle = foldForSearch(text);
    if (needle.isEmpty() && group.isEmpty()) {
        std::vector<int> all(static_cast<size_t>(count_));
        for (int i = 0; i < count_; ++i) {
            all[static_cast<size_t>(i)] = i + 1;
        }
        return all;
    }
    int wanted = -1;
    if (!group.isEmpty()) {
        wanted = static_cast<int>(groupOrder_.indexOf(group));
        if (wanted < 0) {
            return {};
        }
    }
    std::vector<int> found;
    const QStringView names(names_);
    for (size_t i = 0; i < ends_.size(); ++i) {
        if (wanted >= 0 && groupOf_[i] != wanted) {
            continue;
        }
        const qsizetype start = i == 0 ? 0 : ends_[i - 1];
        if (needle.isEmpty() || names.sliced(start, ends_[i] - start).contains(needle)) {
            found.push_back(static_cast<int>(i) + 1);
        }
    }
    return found;
}

} // namespace orvanto

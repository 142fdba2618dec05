#pragma once

#include <QStringList>

namespace orvanto {

// The channels a user has pinned to the station pages, by name, in the order they were pinned.
class Favourites {
public:
    // As many as the station pages hold.
    static constexpr int Max = 90;

    Favourites() = default;
    // Takes `names` in order, without empty names or repeats, up to Max.
    explicit Favourites(const QStringList& names);

    // Appends `name`; false when it is empty, already pinned or the list is full.
    bool pin(const QString& name);
    // Removes `name`; false when it was not pinned.
    bool unpin(const QString& name);
    bool contains(const QString& name) const { return names_.contains(name); }
    bool isFull() const { return names_.size() >= Max; }

    const QStringList& names() const { return names_; }
    bool isEmpty() const { return names_.isEmpty(); }

private:
    QStringList names_;
};

} // namespace orvanto

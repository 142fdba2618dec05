#include "catalogue/Favourites.h"

namespace orvanto {

Favourites::Favourites(const QStringList& names) {
    for (const QString& name : names) {
        pin(name);
    }
}

bool Favourites::pin(const QString& name) {
    if (name.isEmpty() || isFull() || names_.contains(name)) {
        return false;
    }
    names_.append(name);
    return true;
}

bool Favourites::unpin(const QString& name) {
    return names_.removeOne(name);
}

} // namespace orvanto

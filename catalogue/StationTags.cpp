#include "catalogue/StationTags.h"

namespace orvanto {

StationTags::StationTags(QStringView id, QStringView name, QStringView logo) {
    if (id.isEmpty() && name.isEmpty() && logo.isEmpty()) {
        return;
    }
    QString joined;
    joined.reserve(id.size() + name.size() + logo.size());
    joined.append(id).append(name).append(logo);
    const QByteArray utf8 = joined.toUtf8();
    // toUtf8() leaves room for three bytes a character; the copy takes only what is used.
    text_ = QByteArray(utf8.constData(), utf8.size());
    idEnd_ = id.toUtf8().size();
    nameEnd_ = idEnd_ + name.toUtf8().size();
}

StationTags StationTags::filledFrom(const StationTags& offered) const {
    if (offered.isEmpty()) {
        return *this;
    }
    if (isEmpty()) {
        return offered;
    }
    const auto either = [](const QString& kept, const QString& other) {
        return kept.isEmpty() ? other : kept;
    };
    return StationTags(either(id(), offered.id()), either(name(), offered.name()),
                       either(logo(), offered.logo()));
}

} // namespace orvanto

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace orvanto {

// How a channel list names a station for its programme guide: the tvg-id and tvg-name of its
// entries, and the address of its logo. Any of them may be empty.
//
// The three are kept one after another in one UTF-8 text, sized to fit: a station of a list of
// hundreds of thousands pays for one small allocation, where three UTF-16 texts took three
// times its characters' worth. They are read far less often than they are kept.
class StationTags {
public:
    StationTags() = default;
    StationTags(QStringView id, QStringView name, QStringView logo);

    QString id() const { return part(0, idEnd_); }
    QString name() const { return part(idEnd_, nameEnd_); }
    QString logo() const { return part(nameEnd_, text_.size()); }
    bool isEmpty() const { return text_.isEmpty(); }

    // These tags, each one that is empty taken from `offered`.
    StationTags filledFrom(const StationTags& offered) const;

    friend bool operator==(const StationTags&, const StationTags&) = default;

private:
    QString part(qsizetype from, qsizetype to) const {
        return QString::fromUtf8(text_.constData() + from, to - from);
    }

    QByteArray text_;
    qsizetype idEnd_ = 0;   // the id is text_[0, idEnd_)
    qsizetype nameEnd_ = 0; // the name is text_[idEnd_, nameEnd_), the logo the rest
};

} // namespace orvanto

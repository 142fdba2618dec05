#include "guide/XmltvReader.h"

#include "guide/XmltvTime.h"

#include <utility>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// Bytes handed to the XML reader at a time, so that a piece of markup that never ends is
// noticed within MaxTokenBytes.
constexpr qsizetype Slice = 64 * 1024;

// `text` cut to at most `max` characters, never between the two halves of a surrogate pair.
QStringView bounded(QStringView text, qsizetype max) {
    if (text.size() <= max) {
        return text;
    }
    text = text.first(max);
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        text.chop(1);
    }
    return text;
}

QString boundedString(QStringView text, qsizetype max) {
    return bounded(text, max).toString();
}

// "S2 E5" from an xmltv_ns episode number ("1.4.0/1": season, episode and part, counted from
// zero, each perhaps "n/total" or empty); empty when it gives neither season nor episode.
QString episodeFromXmltvNs(QStringView text) {
    const QList<QStringView> parts = text.split(u'.');
    auto number = [&parts](int i) -> int {
        if (i >= parts.size()) {
            return -1;
        }
        bool ok = false;
        const int n = parts[i].split(u'/').first().trimmed().toInt(&ok);
        return ok && n >= 0 && n < 100000 ? n + 1 : -1;
    };
    const int season = number(0);
    const int episode = number(1);
    QStringList words;
    if (season > 0) {
        words << u"S%1"_s.arg(season);
    }
    if (episode > 0) {
        words << u"E%1"_s.arg(episode);
    }
    return words.join(u' ');
}

// Whether a document that starts with `start` is in UTF-8: what its XML declaration says, and
// without one, unless a byte order mark says UTF-16 or UTF-32.
bool isUtf8(QByteArrayView start) {
    if (start.startsWith("\xFE\xFF") || start.startsWith("\xFF\xFE") ||
        start.startsWith(QByteArrayView("\0\0\xFE\xFF", 4))) {
        return false;
    }
    if (!start.startsWith("<?xml")) {
        return true;
    }
    const qsizetype at = start.indexOf("encoding");
    if (at < 0) {
        return true;
    }
    QByteArrayView rest = start.sliced(at + 8).trimmed();
    if (!rest.startsWith('=')) {
        return true;
    }
    rest = rest.sliced(1).trimmed();
    if (rest.isEmpty() || (rest.front() != '"' && rest.front() != '\'')) {
        return true;
    }
    const qsizetype end = rest.indexOf(rest.front(), 1);
    const QByteArray name = rest.sliced(1, end < 0 ? rest.size() - 1 : end - 1).toByteArray();
    return name.compare("utf-8", Qt::CaseInsensitive) == 0 ||
           name.compare("utf8", Qt::CaseInsensitive) == 0;
}

} // namespace

XmltvReader::XmltvReader(XmltvSink& sink) : sink_(sink) {
    xml_.setNamespaceProcessing(false);
}

bool XmltvReader::feed(QByteArrayView bytes) {
    if (!error_.isEmpty()) {
        return false;
    }
    if (encodingKnown_) {
        return read(mends_ ? QByteArrayView(cut_.pass(mend_.mend(bytes))) : bytes);
    }
    // The declaration ends at the first '>'; a start without one within 1 KiB has none.
    start_ += bytes;
    if (!start_.contains('>') && start_.size() < 1024) {
        return true;
    }
    encodingKnown_ = true;
    mends_ = isUtf8(start_);
    const QByteArray start = std::exchange(start_, {});
    return feed(start);
}

bool XmltvReader::read(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const QByteArrayView piece = bytes.first(qMin(Slice, bytes.size()));
        bytes = bytes.sliced(piece.size());
        xml_.addData(piece.toByteArray());
        stalledBytes_ += piece.size();
        if (!readTokens()) {
            return false;
        }
        if (stalledBytes_ > MaxTokenBytes) {
            stop(u"a single piece of markup or text is longer than %1 KiB"_s.arg(MaxTokenBytes /
                                                                                 1024));
            return false;
        }
    }
    return true;
}

bool XmltvReader::finish() {
    if (!encodingKnown_) {
        encodingKnown_ = true;
        mends_ = isUtf8(start_);
        feed(std::exchange(start_, {}));
    }
    if (mends_ && error_.isEmpty()) {
        read(cut_.pass(mend_.finish()));
    }
    if (!error_.isEmpty()) {
        return false;
    }
    if (!ended_) {
        stop(sawRoot_ ? u"the guide ends before its end"_s : u"it holds no XMLTV guide"_s);
        return false;
    }
    return true;
}

bool XmltvReader::readTokens() {
    while (!ended_) {
        const QXmlStreamReader::TokenType token = xml_.readNext();
        if (token == QXmlStreamReader::Invalid) {
            if (xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
                return true; // more bytes are needed
            }
            stop(xml_.errorString());
            return false;
        }
        stalledBytes_ = 0;
        switch (token) {
        case QXmlStreamReader::StartElement:
            startElement();
            break;
        case QXmlStreamReader::EndElement:
            endElement();
            break;
        case QXmlStreamReader::Characters:
            text(xml_.text());
            break;
        case QXmlStreamReader::DTD:
            // An entity declared here would be expanded wherever the document names it: refused
            // before any content is read.
            if (!xml_.entityDeclarations().isEmpty()) {
                stop(u"the guide declares entities of its own, which are not expanded"_s);
            }
            break;
        case QXmlStreamReader::EndDocument:
            ended_ = true;
            break;
        default:
            break; // declarations, comments, processing instructions, undeclared entities
        }
        if (!error_.isEmpty()) {
            return false;
        }
    }
    return true;
}

void XmltvReader::startElement() {
    ++depth_;
    if (depth_ > MaxDepth) {
        stop(u"the markup is nested deeper than %1 levels"_s.arg(MaxDepth));
        return;
    }
    const QStringView name = xml_.name();
    if (depth_ == 1) {
        if (name != u"tv"_s) {
            stop(u"it is no XMLTV guide: its document is <%1>"_s.arg(bounded(name, 40)));
            return;
        }
        sawRoot_ = true;
        return;
    }
    if (depth_ == 2) {
        if (name == u"channel"_s) {
            startChannel();
        } else if (name == u"programme"_s) {
            startProgramme();
        }
        return;
    }
    auto startField = [this](Field field) {
        field_ = field;
        fieldDepth_ = depth_;
        fieldText_.clear();
    };
    if (depth_ == 3 && entity_ == Entity::Channel) {
        if (name == u"display-name"_s && channel_.names.size() < MaxDisplayNames) {
            startField(Field::DisplayName);
        }
        return;
    }
    if (entity_ != Entity::Programme) {
        return;
    }
    Programme& p = programme_.programme;
    if (depth_ == 3) {
        if (name == u"title"_s && !haveTitle_) {
            startField(Field::Title);
        } else if (name == u"sub-title"_s && !haveSubTitle_) {
            startField(Field::SubTitle);
        } else if (name == u"desc"_s && !haveDescription_) {
            startField(Field::Description);
        } else if (name == u"category"_s && p.categories.size() < MaxCategories) {
            startField(Field::Category);
        } else if (name == u"episode-num"_s && !haveOnscreenEpisode_) {
            episodeSystem_ = boundedString(xml_.attributes().value(u"system"_s), 32);
            if (episodeSystem_ == u"onscreen"_s ||
                (episodeSystem_ == u"xmltv_ns"_s && p.episode.isEmpty())) {
                startField(Field::Episode);
            }
        } else if (name == u"icon"_s && p.icon.isEmpty()) {
            p.icon = boundedString(xml_.attributes().value(u"src"_s).trimmed(), MaxIconLength);
        } else if (name == u"rating"_s && !haveRating_) {
            inRating_ = true;
        }
        return;
    }
    if (depth_ == 4 && inRating_ && name == u"value"_s) {
        startField(Field::RatingValue);
    }
}

void XmltvReader::text(QStringView characters) {
    if (field_ == Field::None || depth_ != fieldDepth_) {
        return;
    }
    qsizetype max = MaxTitleLength;
    switch (field_) {
    case Field::DisplayName:
        max = MaxNameLength;
        break;
    case Field::Description:
        max = MaxDescriptionLength;
        break;
    case Field::Category:
        max = MaxCategoryLength;
        break;
    case Field::Episode:
        max = MaxEpisodeLength;
        break;
    case Field::RatingValue:
        max = MaxRatingLength;
        break;
    default:
        break;
    }
    if (fieldText_.size() < max) {
        fieldText_ += bounded(characters, max - fieldText_.size());
    }
}

void XmltvReader::endElement() {
    if (field_ != Field::None && depth_ == fieldDepth_) {
        Programme& p = programme_.programme;
        const Field field = std::exchange(field_, Field::None);
        QString value =
            field == Field::Description ? fieldText_.trimmed() : fieldText_.simplified();
        switch (field) {
        case Field::DisplayName:
            if (!value.isEmpty()) {
                channel_.names.append(std::move(value));
            }
            break;
        case Field::Title:
            haveTitle_ = !value.isEmpty();
            p.title = std::move(value);
            break;
        case Field::SubTitle:
            haveSubTitle_ = !value.isEmpty();
            p.subTitle = std::move(value);
            break;
        case Field::Description:
            haveDescription_ = !value.isEmpty();
            p.description = std::move(value);
            break;
        case Field::Category:
            if (!value.isEmpty()) {
                p.categories.append(std::move(value));
            }
            break;
        case Field::Episode:
            if (episodeSystem_ == u"onscreen"_s) {
                haveOnscreenEpisode_ = !value.isEmpty();
                if (haveOnscreenEpisode_) {
                    p.episode = std::move(value);
                }
            } else {
                p.episode = episodeFromXmltvNs(value);
            }
            break;
        case Field::RatingValue:
            haveRating_ = !value.isEmpty();
            p.rating = std::move(value);
            break;
        case Field::None:
            break;
        }
    }
    if (depth_ == 3 && inRating_) {
        inRating_ = false;
    }
    if (depth_ == 2) {
        if (entity_ == Entity::Channel && !channel_.id.isEmpty()) {
            sink_.channel(std::exchange(channel_, {}));
        } else if (entity_ == Entity::Programme) {
            endProgramme();
        }
        entity_ = Entity::None;
    }
    --depth_;
}

void XmltvReader::startChannel() {
    entity_ = Entity::Channel;
    channel_ = {};
    channel_.id = boundedString(xml_.attributes().value(u"id"_s).trimmed(), MaxIdLength);
}

void XmltvReader::startProgramme() {
    entity_ = Entity::Programme;
    programme_ = {};
    haveTitle_ = haveSubTitle_ = haveDescription_ = haveOnscreenEpisode_ = haveRating_ = false;
    inRating_ = false;
    const QXmlStreamAttributes attributes = xml_.attributes();
    programme_.channel = boundedString(attributes.value(u"channel"_s).trimmed(), MaxIdLength);
    const std::optional<qint64> start = parseXmltvTime(attributes.value(u"start"_s));
    const std::optional<qint64> stop = parseXmltvTime(attributes.value(u"stop"_s));
    programme_.programme.catchupId =
        boundedString(attributes.value(u"catchup-id"_s).trimmed(), MaxCatchupIdLength);
    programmeValid_ = start.has_value() && !programme_.channel.isEmpty();
    if (start) {
        programme_.programme.start = *start;
    }
    if (start && stop && *stop > *start) {
        programme_.hasStop = true;
        programme_.programme.stop = *stop;
    }
}

void XmltvReader::endProgramme() {
    if (programmeValid_) {
        sink_.programme(std::exchange(programme_, {}));
    } else {
        ++skipped_;
    }
}

void XmltvReader::stop(const QString& why) {
    if (error_.isEmpty()) {
        error_ =
            u"line %1, column %2: %3"_s.arg(xml_.lineNumber()).arg(xml_.columnNumber()).arg(why);
    }
}

} // namespace orvanto

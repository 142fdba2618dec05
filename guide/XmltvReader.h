#pragma once

#include "guide/Programme.h"
#include "guide/TextRunCut.h"
#include "guide/Utf8Mend.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <vector>

namespace orvanto {

// A channel as a guide declares it.
struct XmltvChannel {
    QString id;
    QStringList names; // its display-names, in order
};

// A programme as a guide gives it, with the id of its channel.
struct XmltvProgramme {
    QString channel;
    bool hasStop = false; // false: the guide gave no stop time (programme.stop is 0)
    Programme programme;
};

// Where the reader hands what it reads.
class XmltvSink {
public:
    virtual ~XmltvSink() = default;
    virtual void channel(XmltvChannel&& channel) = 0;
    virtual void programme(XmltvProgramme&& programme) = 0;
};

// Reads an XMLTV guide as its bytes come (QXmlStreamReader), handing each channel and programme
// to a sink as soon as it is complete, so that nothing but the element being read is held.
// Every text it keeps has a length bound (longer ones are cut), a channel keeps at most
// MaxDisplayNames names and a programme MaxCategories categories. A document that declares
// entities of its own is refused when its DOCTYPE is read, before any could be expanded; an
// undeclared entity is left out; nothing outside the document is ever loaded. Markup nested
// deeper than MaxDepth, or one piece of markup or text longer than MaxTokenBytes, stops the
// reading like malformed XML: what was handed on before stays handed on. In a guide in UTF-8 (as
// it declares, or by default) bytes that are not UTF-8 are read as U+FFFD, and a text longer
// than MaxTextRunBytes is cut there before the XML reader holds it whole; the reading goes on.
class XmltvReader {
public:
    static constexpr qsizetype MaxIdLength = 256;
    static constexpr qsizetype MaxNameLength = 256;
    static constexpr int MaxDisplayNames = 8;
    static constexpr qsizetype MaxTitleLength = 256;
    static constexpr qsizetype MaxDescriptionLength = 4096;
    static constexpr qsizetype MaxCategoryLength = 64;
    static constexpr int MaxCategories = 8;
    static constexpr qsizetype MaxEpisodeLength = 64;
    static constexpr qsizetype MaxIconLength = 1024;
    static constexpr qsizetype MaxCatchupIdLength = 256;
    static constexpr qsizetype MaxRatingLength = 32;
    static constexpr int MaxDepth = 32;
    static constexpr qsizetype MaxTokenBytes = 1024 * 1024;
    static constexpr qsizetype MaxTextRunBytes = 64 * 1024;

    explicit XmltvReader(XmltvSink& sink);

    // Reads the next bytes of the document; false once reading has stopped (see error()).
    bool feed(QByteArrayView bytes);
    // The document is over: false when it is malformed or cut short (see error()).
    bool finish();

    // Why reading stopped, with the line and column where it did; empty while all is well.
    const QString& error() const { return error_; }
    // Programmes left out because their times or channel were missing or unreadable.
    qint64 skipped() const { return skipped_; }

private:
    enum class Field {
        None,
        DisplayName,
        Title,
        SubTitle,
        Description,
        Category,
        Episode,
        RatingValue,
    };

    bool read(QByteArrayView bytes);
    bool readTokens();
    void startElement();
    void endElement();
    void text(QStringView characters);
    void startChannel();
    void startProgramme();
    void endProgramme();
    void stop(const QString& why);

    XmltvSink& sink_;
    QXmlStreamReader xml_;
    QString error_;
    qint64 skipped_ = 0;
    int depth_ = 0;
    bool sawRoot_ = false;
    bool ended_ = false;
    bool inRating_ = false;
    qsizetype stalledBytes_ = 0; // bytes handed in since the last complete token
    // The document's start, until its XML declaration says what it is encoded in.
    QByteArray start_;
    bool encodingKnown_ = false;
    bool mends_ = false; // UTF-8: what is not UTF-8 is mended before the XML reader sees it
    Utf8Mend mend_;
    TextRunCut cut_{MaxTextRunBytes}; // after the mending: on UTF-8

    // What is being read: a channel or a programme at depth 2, and one of its fields.
    enum class Entity { None, Channel, Programme } entity_ = Entity::None;
    Field field_ = Field::None;
    int fieldDepth_ = 0;
    QString fieldText_;
    QString episodeSystem_;
    XmltvChannel channel_;
    XmltvProgramme programme_;
    bool programmeValid_ = false;
    bool haveTitle_ = false;
    bool haveSubTitle_ = false;
    bool haveDescription_ = false;
    bool haveOnscreenEpisode_ = false;
    bool haveRating_ = false;
};

} // namespace orvanto

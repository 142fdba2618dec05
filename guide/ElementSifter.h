#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>

namespace orvanto {

// Splits an XMLTV document into its top-level elements as its bytes come, without reading them
// as XML, so that a guide read again can leave the programmes it already holds unread: each
// <programme> element arrives whole with a digest of its bytes, everything else (the prolog,
// the root's tags, channels, whitespace) passes through in order. Comments, CDATA sections,
// processing instructions and quoted attribute values are stepped over, so markup inside them
// never counts. A programme with no stop time takes the next programme of its channel to end,
// so both are marked as to be read. A document the sifter cannot follow (not in an encoding
// that keeps ASCII as it is, or an element or piece of markup longer than MaxElementBytes) is
// passed through whole from there on, its programmes unsifted: the reader then sees every byte.
class ElementSifter {
public:
    static constexpr qsizetype MaxElementBytes = 16 * 1024 * 1024;

    class Sink {
    public:
        virtual ~Sink() = default;
        // Bytes to read as they are; false stops the sifting.
        virtual bool through(QByteArrayView bytes) = 0;
        // A whole <programme> element, its digest (never 0), and whether it is to be read
        // whatever the digest says; false stops the sifting.
        virtual bool programme(QByteArrayView element, quint64 digest, bool mustRead) = 0;
    };

    explicit ElementSifter(Sink& sink) : sink_(sink) {}

    // The next bytes of the document; false once the sink has stopped it.
    bool feed(QByteArrayView bytes);
    // The document is over: what is held passes through (a document cut short is the reader's
    // to judge).
    bool finish();

    // The digest of an element's bytes.
    static quint64 digest(QByteArrayView element);
    // False once the document is passed through unsifted.
    bool sifting() const { return !off_; }

private:
    // Reads markup from pos_ on; false when the sink stopped.
    bool scan();
    // Where the markup that starts with '<' at `at` ends (one past its '>'), 0 when its end has
    // not come yet, -1 when it cannot be followed.
    qsizetype markupEnd(qsizetype at) const;
    bool startTag(qsizetype at, qsizetype end);
    bool elementDone(qsizetype end);
    bool flushThrough(qsizetype upTo);
    bool giveUp();

    Sink& sink_;
    QByteArray buffer_;
    qsizetype pos_ = 0;           // where scanning goes on in buffer_
    qsizetype flushed_ = 0;       // bytes of buffer_ handed on (or held in an element) already
    qsizetype elementStart_ = -1; // where the top-level element being collected starts
    int depth_ = 0;               // 0: before the root, 1: in it, 2 and more: in an element
    bool programme_ = false;      // the element being collected is a programme
    bool mustRead_ = false;
    bool checkedStart_ = false;
    bool off_ = false;
    bool stopped_ = false;
    QSet<QByteArray> openEnded_; // channels whose last programme had no stop time
};

} // namespace orvanto

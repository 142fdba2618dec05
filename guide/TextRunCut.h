#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace orvanto {

// Cuts over-long text out of a UTF-8 XML document as its bytes come, before an XML reader sees
// them: a reader holds each text token whole, so one description of megabytes would otherwise
// stop a whole guide at its bound. Text (and CDATA) between two pieces of markup keeps its first
// `maxRun` bytes, the rest up to the next markup is dropped; the cut falls after a whole
// character and never inside an entity reference, so what is left is still well-formed. Markup
// (tags, comments, processing instructions) passes untouched, however long.
class TextRunCut {
public:
    explicit TextRunCut(qsizetype maxRun) : maxRun_(maxRun) {}

    // The next bytes, with what is cut left out.
    QByteArray pass(QByteArrayView bytes);
    // How many runs were cut so far.
    qint64 cuts() const { return cuts_; }

private:
    enum class State {
        Text,    // between pieces of markup
        Open,    // after '<', until it is known what follows
        Tag,     // a start or end tag, a declaration
        Quoted,  // inside a tag's quoted value
        Comment, // <!-- ... -->
        CData,   // <![CDATA[ ... ]]>
        Pi,      // <? ... ?>
    };

    // The end of a text run in `bytes` from `at` on (the '<' that ends it, or the end).
    qsizetype textRun(QByteArrayView bytes, qsizetype at, QByteArray& out);
    qsizetype cdataRun(QByteArrayView bytes, qsizetype at, QByteArray& out);
    // Counts the bytes of a run from `at` to `end` and says where those kept end: at the cut
    // when the run reaches its bound in them.
    qsizetype kept(QByteArrayView bytes, qsizetype at, qsizetype end, bool references);
    // Where a run (from `start` in `bytes`) that reached its bound at `at` may end: past the
    // character under way, and past an entity reference under way where `references` count.
    qsizetype cutPoint(QByteArrayView bytes, qsizetype at, qsizetype start, bool references) const;

    qsizetype maxRun_;
    State state_ = State::Text;
    qsizetype run_ = 0;       // bytes of the text or CDATA run so far
    bool dropping_ = false;   // the run reached its bound: the rest of it goes
    bool entityOpen_ = false; // the run so far ends inside "&...;"
    QByteArray opened_;       // the markup's start, while State::Open
    char quote_ = 0;          // State::Quoted: the quote that ends it
    char last_[2] = {0, 0};   // the two bytes before, for the markup's ends
    qint64 cuts_ = 0;
};

} // namespace orvanto

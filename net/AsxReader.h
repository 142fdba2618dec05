#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>

namespace orvanto {

// One tag of forgiving XML, as an ASX reader sees it.
struct AsxTag {
    struct Attribute {
        QByteArray name;      // in lower case
        QByteArrayView value; // as written, entities not decoded
        bool quoted = false;  // in quotes that were closed on its line
    };

    QByteArray name; // in lower case; empty for what is no element ("<" and a blank)
    bool closing = false;
    bool selfClosing = false;
    QList<Attribute> attributes;
    qsizetype end = 0;   // the position after the tag's '>' (or the end of the text)
    bool cutOff = false; // the text ends inside a quoted value: the tag is not whole

    // The value of attribute `name` (lower case), or nothing.
    const Attribute* attribute(QByteArrayView name) const;
};

// Reads the tag whose '<' is at `pos`. Quoted values may hold '>'; a quoted value ends at its
// closing quote on the same line, or, when the quote is left open, at the tag's '>' or the end
// of the line.
AsxTag readAsxTag(QByteArrayView text, qsizetype pos);

// ASX as Windows Media players read it: forgiving XML, element and attribute names in any
// case. Every REF and ENTRYREF is an entry, in document order (the REFs of one ENTRY are
// alternatives tried in turn, which is what playing them in order does), except those of an
// EVENT: its entries play only when the server signals the event, never in the play order.
// The addresses are returned as written (entities decoded, blanks inside quotes kept); an href
// left without its closing quote counts only when it holds no blank.
QStringList readAsxEntries(QByteArrayView text);

} // namespace orvanto

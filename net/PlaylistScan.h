#pragma once

#include <QByteArrayView>

// Byte scanning shared by the playlist readers: they read forgiving, XML-like or line-based
// text as bytes, without a parser that might fetch what a document names.
namespace orvanto::PlaylistScan {

bool isBlank(char c);
char lower(char c);
// Case-insensitive comparison of `text` from `pos` with the lower-case `literal`;
// `partial` accepts a text that ends before the literal does.
bool startsWithCi(QByteArrayView text, qsizetype pos, QByteArrayView literal, bool partial = false);
qsizetype find(QByteArrayView text, qsizetype from, QByteArrayView what);
// The end of a "<!DOCTYPE ...>" that starts at `pos` (after its '>'), skipping an internal
// subset in brackets; -1 when the text ends first. Nothing it names is ever fetched.
qsizetype doctypeEnd(QByteArrayView text, qsizetype pos);

} // namespace orvanto::PlaylistScan

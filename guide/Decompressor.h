#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

namespace orvanto {

// How a guide's bytes are packed, told by their first bytes.
enum class Compression { None, Gzip, Xz };

// The packing of a file that starts with `firstBytes` (at least six bytes tell every kind
// apart; fewer are taken as unpacked).
Compression detectCompression(QByteArrayView firstBytes);

// Unpacks a gzip or xz stream piece by piece (zlib, liblzma): the input is handed in as it comes
// and the output taken in pieces of a size the caller chooses, so that no part of the stream is
// ever held whole however far it expands. Concatenated members are read one after another, as
// gunzip and xz do. Compression::None passes the bytes through.
class Decompressor {
public:
    explicit Decompressor(Compression compression);
    ~Decompressor();
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // Hands in the next input, once read() has given all it could of the one before (an empty
    // piece). The bytes must stay valid until then.
    void setInput(QByteArrayView input);

    // Unpacks into `out` (cleared first) at most `maxBytes`; false on a damaged stream (see
    // error()). An empty `out` asks for more input.
    bool read(QByteArray& out, qsizetype maxBytes);

    // No input follows the last one handed in; read() then gives what is left.
    void endInput();
    // After endInput() and read() until it gave nothing: true when the stream ended where a
    // stream may end; otherwise error() says that it was cut short.
    bool complete();

    const QString& error() const { return error_; }

private:
    class Codec;
    class Gzip;
    class Xz;
    std::unique_ptr<Codec> codec_;
    QByteArrayView input_; // for Compression::None
    QString error_;
};

} // namespace orvanto

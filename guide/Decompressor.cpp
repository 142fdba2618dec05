#include "guide/Decompressor.h"

#include <lzma.h>
#include <zlib.h>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

Compression detectCompression(QByteArrayView firstBytes) {
    if (firstBytes.startsWith("\x1f\x8b")) {
        return Compression::Gzip;
    }
    if (firstBytes.startsWith(QByteArrayView("\xfd"
                                             "7zXZ\0",
                                             6))) {
        return Compression::Xz;
    }
    return Compression::None;
}

class Decompressor::Codec {
public:
    virtual ~Codec() = default;
    virtual void setInput(QByteArrayView input) = 0;
    // Unpacks into out[0..capacity); returns the bytes written, or -1 on an error.
    virtual qsizetype read(char* out, qsizetype capacity, QString& error) = 0;
    virtual bool atStreamEnd() const = 0;
    virtual void endInput() {}
};

class Decompressor::Gzip final : public Codec {
public:
    Gzip() {
        // 15 + 16: the gzip wrapper, with the largest window.
        ok_ = inflateInit2(&stream_, 15 + 16) == Z_OK;
    }
    ~Gzip() override { inflateEnd(&stream_); }

    void setInput(QByteArrayView input) override {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        stream_.avail_in = static_cast<uInt>(input.size());
    }

    qsizetype read(char* out, qsizetype capacity, QString& error) override {
        if (!ok_) {
            error = u"the unpacker could not start"_s;
            return -1;
        }
        stream_.next_out = reinterpret_cast<Bytef*>(out);
        stream_.avail_out = static_cast<uInt>(capacity);
        while (stream_.avail_out > 0 && stream_.avail_in > 0) {
            if (ended_) {
                if (*stream_.next_in != 0x1f) {
                    // Not another member: trailing bytes (padding), ignored as gunzip does.
                    stream_.avail_in = 0;
                    break;
                }
                inflateReset(&stream_);
                ended_ = false;
            }
            const int status = inflate(&stream_, Z_NO_FLUSH);
            if (status == Z_STREAM_END) {
                ended_ = true;
            } else if (status == Z_BUF_ERROR) {
                break;
            } else if (status != Z_OK) {
                error = u"the gzip data is damaged (%1)"_s.arg(
                    QString::fromLatin1(stream_.msg != nullptr ? stream_.msg : "inflate"));
                return -1;
            }
        }
        return capacity - static_cast<qsizetype>(stream_.avail_out);
    }
    bool atStreamEnd() const override { return ended_; }

private:
    z_stream stream_{};
    bool ok_ = false;
    bool ended_ = false;
};

class Decompressor::Xz final : public Codec {
public:
    Xz() {
        // LZMA_CONCATENATED: streams one after another; the memory limit keeps a crafted header
        // from asking for more than a guide needs.
        ok_ = lzma_stream_decoder(&stream_, 256u << 20, LZMA_CONCATENATED) == LZMA_OK;
    }
    ~Xz() override { lzma_end(&stream_); }

    void setInput(QByteArrayView input) override {
        stream_.next_in = reinterpret_cast<const uint8_t*>(input.data());
        stream_.avail_in = static_cast<size_t>(input.size());
    }

    qsizetype read(char* out, qsizetype capacity, QString& error) override {
        if (!ok_) {
            error = u"the unpacker could not start"_s;
            return -1;
        }
        stream_.next_out = reinterpret_cast<uint8_t*>(out);
        stream_.avail_out = static_cast<size_t>(capacity);
        while (stream_.avail_out > 0 && (stream_.avail_in > 0 || finishing_) && !ended_) {
            const lzma_ret status = lzma_code(&stream_, finishing_ ? LZMA_FINISH : LZMA_RUN);
            if (status == LZMA_STREAM_END) {
                ended_ = true;
            } else if (status == LZMA_BUF_ERROR) {
                break;
            } else if (status != LZMA_OK) {
                error = status == LZMA_MEMLIMIT_ERROR
                            ? u"the xz data asks for more memory than a guide may take"_s
                            : u"the xz data is damaged"_s;
                return -1;
            }
        }
        return capacity - static_cast<qsizetype>(stream_.avail_out);
    }
    bool atStreamEnd() const override { return ended_; }
    // With concatenated streams liblzma tells the end only when told the input is over.
    void endInput() override { finishing_ = true; }

private:
    lzma_stream stream_ = LZMA_STREAM_INIT;
    bool ok_ = false;
    bool ended_ = false;
    bool finishing_ = false;
};

Decompressor::Decompressor(Compression compression) {
    switch (compression) {
    case Compression::Gzip:
        codec_ = std::make_unique<Gzip>();
        break;
    case Compression::Xz:
        codec_ = std::make_unique<Xz>();
        break;
    case Compression::None:
        break;
    }
}

Decompressor::~Decompressor() = default;

void Decompressor::setInput(QByteArrayView input) {
    if (codec_) {
        codec_->setInput(input);
    } else {
        input_ = input;
    }
}

bool Decompressor::read(QByteArray& out, qsizetype maxBytes) {
    out.clear();
    if (!error_.isEmpty()) {
        return false;
    }
    if (!codec_) {
        const qsizetype n = qMin(maxBytes, input_.size());
        out = input_.first(n).toByteArray();
        input_ = input_.sliced(n);
        return true;
    }
    out.resize(maxBytes);
    const qsizetype n = codec_->read(out.data(), maxBytes, error_);
    if (n < 0) {
        out.clear();
        return false;
    }
    out.truncate(n);
    return true;
}

void Decompressor::endInput() {
    if (codec_) {
        codec_->endInput();
    }
}

bool Decompressor::complete() {
    if (!error_.isEmpty()) {
        return false;
    }
    if (codec_ && !codec_->atStreamEnd()) {
        error_ = u"the packed data ends before its end"_s;
        return false;
    }
    return true;
}

} // namespace orvanto

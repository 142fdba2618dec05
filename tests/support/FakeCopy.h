#pragma once

#include "playback/StreamCopy.h"

#include <QByteArray>
#include <QStringList>
#include <gtest/gtest.h>
#include <unistd.h>

namespace orvanto::test {

// A copy of a stream the engine reads itself: the test writes what it copies into the
// descriptor it was given, or ends it.
class FakeCopy final : public StreamCopy {
public:
    explicit FakeCopy(int descriptor) : descriptor_(descriptor) {}
    ~FakeCopy() override { stop(); }
    void write(const QByteArray& bytes) const {
        ASSERT_EQ(::write(descriptor_, bytes.constData(), size_t(bytes.size())), bytes.size());
    }
    void fail(const QString& reason) { Q_EMIT ended(reason); }
    void follow(const QString& location) override { followed << location; }
    QString location() const override { return followed.isEmpty() ? first : followed.last(); }
    QString first;
    QStringList followed;
    void stop() override {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
            descriptor_ = -1;
        }
        ++stops;
    }
    qint64 bytesWritten() const override {
        return descriptor_ >= 0 ? qint64(::lseek(descriptor_, 0, SEEK_END)) : 0;
    }
    int stops = 0;

private:
    int descriptor_;
};

// `count` packets of an MPEG transport stream, their payload `fill`.
inline QByteArray tsPackets(int count, char fill) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        QByteArray packet(188, fill);
        packet[0] = 0x47;
        bytes += packet;
    }
    return bytes;
}

} // namespace orvanto::test

// libFuzzer target for the guide's reader: arbitrary bytes, packed or not, unpacked, sifted into
// elements (which must hand on every byte as it came) and read as XMLTV in pieces of a size the
// first byte chooses. Built only with ORVANTO_FUZZ=ON and clang;
// run by scripts/fuzz.sh.

#include "guide/Decompressor.h"
#include "guide/ElementSifter.h"
#include "guide/XmltvReader.h"

#include <QByteArrayView>
#include <cstdint>
#include <cstdlib>

using namespace orvanto;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Every text the reader hands on keeps its bound.
class Checked final : public XmltvSink {
public:
    void channel(XmltvChannel&& channel) override {
        check(!channel.id.isEmpty() && channel.id.size() <= XmltvReader::MaxIdLength);
        check(channel.names.size() <= XmltvReader::MaxDisplayNames);
        for (const QString& name : channel.names) {
            check(!name.isEmpty() && name.size() <= XmltvReader::MaxNameLength);
        }
    }
    void programme(XmltvProgramme&& programme) override {
        const Programme& p = programme.programme;
        check(!programme.channel.isEmpty() && programme.channel.size() <= XmltvReader::MaxIdLength);
        check(!programme.hasStop || p.stop > p.start);
        check(p.title.size() <= XmltvReader::MaxTitleLength);
        check(p.subTitle.size() <= XmltvReader::MaxTitleLength);
        check(p.description.size() <= XmltvReader::MaxDescriptionLength);
        check(p.categories.size() <= XmltvReader::MaxCategories);
        for (const QString& category : p.categories) {
            check(category.size() <= XmltvReader::MaxCategoryLength);
        }
        check(p.episode.size() <= XmltvReader::MaxEpisodeLength);
        check(p.icon.size() <= XmltvReader::MaxIconLength);
        check(p.rating.size() <= XmltvReader::MaxRatingLength);
    }
};

// Hands what the sifter passes on to the reader, keeping a copy to compare with what came.
class Relay final : public ElementSifter::Sink {
public:
    explicit Relay(XmltvReader& reader) : reader_(reader) {}

    bool through(QByteArrayView bytes) override {
        passed += bytes;
        return reader_.feed(bytes);
    }
    bool programme(QByteArrayView element, quint64 digest, bool) override {
        check(element.startsWith("<programme") && element.endsWith(">"));
        check(digest != 0 && digest == ElementSifter::digest(element));
        return through(element);
    }

    QByteArray passed;

private:
    XmltvReader& reader_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const qsizetype piece = 1 + data[0] * 16;
    const QByteArrayView bytes(data + 1, static_cast<qsizetype>(size - 1));
    constexpr qsizetype OutPiece = 4096;
    constexpr qint64 MaxXml = 8 << 20; // a packed bomb stops here, as the import's bound does

    Decompressor decompressor(detectCompression(bytes.first(qMin<qsizetype>(6, bytes.size()))));
    Checked sink;
    XmltvReader reader(sink);
    Relay relay(reader);
    ElementSifter sifter(relay);
    QByteArray unpacked;
    QByteArray out;
    qint64 xml = 0;
    bool going = true;
    auto drain = [&] {
        while (going) {
            going = decompressor.read(out, OutPiece);
            if (!going || out.isEmpty()) {
                return;
            }
            check(out.size() <= OutPiece);
            xml += out.size();
            unpacked += out;
            going = xml <= MaxXml && sifter.feed(out);
        }
    };
    for (qsizetype at = 0; going && at < bytes.size(); at += piece) {
        decompressor.setInput(bytes.sliced(at, qMin(piece, bytes.size() - at)));
        drain();
    }
    if (going) {
        decompressor.endInput();
        drain();
    }
    if (going && decompressor.complete() && sifter.finish()) {
        check(relay.passed == unpacked);
        const bool ok = reader.finish();
        check(ok == reader.error().isEmpty());
    }
    return 0;
}

#pragma once

#include "guide/Decompressor.h"
#include "guide/ElementSifter.h"
#include "guide/GuideStore.h"
#include "guide/XmltvReader.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <memory>

namespace orvanto {

// The bounds an import keeps: bytes of XML (however well they were packed), bytes as they come,
// channels and programmes, and how long programmes that have ended are kept (a list whose
// channels have an archive keeps them as long as the archive reaches back).
struct GuideLimits {
    static constexpr qint64 MaxGuideBytes = qint64(1) << 30;
    static constexpr qint64 MaxRawBytes = qint64(1) << 30;
    static constexpr qint64 MaxChannels = 100000;
    static constexpr qint64 MaxProgrammes = 2000000;
    static constexpr qint64 DefaultKeepSeconds = 24 * 3600;
    static constexpr qint64 MaxKeepSeconds = 31 * 24 * 3600;

    qint64 guideBytes = MaxGuideBytes;
    qint64 rawBytes = MaxRawBytes;
    qint64 channels = MaxChannels;
    qint64 programmes = MaxProgrammes;
    qint64 keepSeconds = DefaultKeepSeconds;
};

// Reads one guide into its store as the bytes come: unpacks them (plain, gzip or xz, told by the
// first bytes), reads the XMLTV and writes channels and programmes in one transaction, within
// its GuideLimits; programmes that ended more than its keepSeconds ago are left out. A fault in the
// guide itself (malformed XML, a damaged packing, a bound reached) stops the reading and keeps what
// was read before it, with the fault noted; a guide that yields no programme at all leaves the
// store as it was. A guide read again costs what changed in it: the elements of programmes the
// store holds already (told by their bytes' digest) are neither read as XML nor written.
class GuideImport final : private XmltvSink, private ElementSifter::Sink {
public:
    // A programme without a stop time lasts until the channel's next one if that starts within
    // MaxGap, else UnknownLength.
    static constexpr qint64 MaxGap = 24 * 3600;
    static constexpr qint64 UnknownLength = 3600;

    struct Outcome {
        bool committed = false; // the store holds the new guide
        qint64 channels = 0;
        qint64 programmes = 0;
        qint64 kept = 0; // of the programmes, those the store held already: unread, unwritten
        QString problem; // a fault in the guide, where it was: the guide read up to there
        QString failure; // why nothing was kept (committed is false)
    };

    // `now` is the time of the import (seconds since the epoch).
    GuideImport(GuideStore& store, qint64 now, const GuideLimits& limits = GuideLimits());
    ~GuideImport() override;

    // Begins the transaction; false (see failure()) when the store cannot be written.
    bool begin();
    // The next bytes as they come; false once reading has stopped (a fault or a bound), after
    // which the rest is not wanted: finish() then keeps what was read.
    bool feed(QByteArrayView bytes);
    // All bytes are in: commits what was read with `info` (its counts and problem filled in).
    Outcome finish(GuideInfo info);
    // Drops everything read; the store keeps the guide it had.
    void cancel();

    qint64 rawBytes() const { return rawBytes_; }
    qint64 xmlBytes() const { return xmlBytes_; }
    qint64 programmes() const { return programmes_; }
    qint64 kept() const { return kept_; }
    const QString& failure() const { return failure_; }

private:
    void channel(XmltvChannel&& channel) override;
    void programme(XmltvProgramme&& programme) override;
    bool through(QByteArrayView xml) override;
    bool programme(QByteArrayView element, quint64 digest, bool mustRead) override;
    bool unpack(QByteArrayView bytes);
    bool sift(const QByteArray& xml);
    qint64 keyFor(const QString& id, const QStringList& names);
    void store(qint64 key, const Programme& programme, quint64 digest);
    bool belowProgrammeBound();
    void flushPending();
    void fault(const QString& problem);
    void tooManyChannels();

    GuideStore& store_;
    const qint64 now_;
    const GuideLimits limits_;
    XmltvReader reader_;
    ElementSifter sifter_{*this};
    quint64 digest_ = 0; // of the element the reader reads
    std::unique_ptr<Decompressor> decompressor_;
    QByteArray head_; // the first bytes, until they tell the packing
    QByteArray piece_;
    QHash<QString, qint64> keys_; // guide channel id -> store key
    // Per channel, a programme without a stop time waiting for the channel's next one, and the
    // digest of its element.
    QHash<qint64, std::pair<Programme, quint64>> pending_;
    qint64 rawBytes_ = 0;
    qint64 xmlBytes_ = 0;
    qint64 programmes_ = 0;
    qint64 kept_ = 0;
    bool stopped_ = false;
    bool begun_ = false;
    QString problem_;
    QString failure_;
};

} // namespace orvanto

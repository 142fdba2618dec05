#include "app/ListOpener.h"

#include "catalogue/Catalogue.h"
#include "core/MessageSink.h"
#include "net/PlaylistLoader.h"
#include "playback/FailoverPlayer.h"
#include "playback/MediaPlayer.h"
#include "window/Form1.h"

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

} // namespace

ListOpener::ListOpener(Catalogue& catalogue, Form1& form, FailoverPlayer& failover,
                       MediaPlayer& player, MessageSink& messages, QObject* parent)
    : QObject(parent), catalogue_(catalogue), form_(form), failover_(failover), player_(player),
      messages_(messages) {}

ListOpener::~ListOpener() = default;

void ListOpener::open(const QString& source) {
    // Dropping the loader ends its download; its catalogue goes with it.
    loader_ = std::make_unique<PlaylistLoader>();
    incoming_ = std::make_unique<Catalogue>();
    loader_->setReservedNames(reservedNames_);
    connect(loader_.get(), &PlaylistLoader::finished, this,
            [this, source](const PlaylistReport& report) { finish(source, report); });
    loader_->load(source, *incoming_);
}

void ListOpener::finish(const QString& source, const PlaylistReport& report) {
    if (!report.accepted) {
        messages_.showMessage(MessageSink::ErrorTitle(),
                              u"The playlist \"%1\" cannot be used: %2.\n\nThe channels on show "
                              u"stay."_s.arg(source, report.rejection),
                              MessageSink::Icon::Exclamation);
        return;
    }
    if (failover_.isTrying()) {
        failover_.standDown();
        player_.stop();
    }
    catalogue_ = std::move(*incoming_);
    form_.reload({{}, locked_.adult});
    Q_EMIT opened(source);
    if (!report.message.isEmpty()) {
        messages_.showMessage(MessageSink::ErrorTitle(), report.message,
                              MessageSink::Icon::Exclamation);
    }
}

} // namespace orvanto

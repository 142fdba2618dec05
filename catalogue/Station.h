#pragma once

#include "catalogue/Catchup.h"
#include "catalogue/StationTags.h"
#include "core/StreamAddress.h"

#include <QString>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace orvanto {

// A station's candidate addresses in order, each with the HTTP headers its list asks for and,
// where the list gives one, how its archive is addressed. Most stations of a long list have one
// address and no archive: that one is kept in place, and only the further addresses and the
// archives take memory of their own, so that a list of hundreds of thousands of stations stays
// small. A slot beyond the last filled one reads as an empty string, as an unused slot always
// has.
class StreamUrlList {
public:
    StreamUrlList() = default;
    StreamUrlList(const StreamUrlList& other)
        : first_(other.first_), size_(other.size_),
          more_(other.more_ ? std::make_unique<More>(*other.more_) : nullptr) {}
    StreamUrlList& operator=(const StreamUrlList& other) {
        if (this != &other) {
            StreamUrlList copy(other);
            *this = std::move(copy);
        }
        return *this;
    }
    StreamUrlList(StreamUrlList&&) noexcept = default;
    StreamUrlList& operator=(StreamUrlList&&) noexcept = default;
    ~StreamUrlList() = default;

    const QString& operator[](std::size_t slot) const { return address(slot).url; }
    const StreamAddress& address(std::size_t slot) const {
        static const StreamAddress unused;
        if (slot >= size_) {
            return unused;
        }
        return slot == 0 ? first_ : more_->addresses[slot - 1];
    }
    // The archive of the address in `slot`; one that is not enabled() where it has none.
    const Catchup& catchup(std::size_t slot) const {
        static const Catchup none;
        if (more_) {
            for (const auto& [at, catchup] : more_->catchups) {
                if (at == slot) {
                    return catchup;
                }
            }
        }
        return none;
    }
    bool hasCatchup() const { return more_ && !more_->catchups.empty(); }
    std::size_t size() const { return size_; }
    void append(const StreamAddress& address, const Catchup& catchup = {}) {
        if (catchup.enabled()) {
            more().catchups.emplace_back(size_, catchup);
        }
        if (size_ == 0) {
            first_ = address;
        } else {
            more().addresses.push_back(address);
        }
        ++size_;
    }

private:
    struct More {
        std::vector<StreamAddress> addresses;                  // slots 1 and on
        std::vector<std::pair<std::size_t, Catchup>> catchups; // by slot, in order
    };
    More& more() {
        if (!more_) {
            more_ = std::make_unique<More>();
        }
        return *more_;
    }

    StreamAddress first_;
    std::size_t size_ = 0;
    std::unique_ptr<More> more_;
};

// One entry of the catalogue: a display name, its group, its guide tags and its ordered candidate
// stream addresses.
struct Station {
    static constexpr int MaxUrls = 100;
    static constexpr int NoPage = -1;

    QString Name;
    QString Group;            // the list's group-title of the station, or empty
    StationTags Tags;         // from the list's entries; empty for the built-in stations
    StreamUrlList StreamUrls; // slots 0..LastUrlIndex are filled
    int LastUrlIndex = 0;     // index of the last filled slot
    int Page = NoPage;        // station page 0..4, or NoPage

    int urlCount() const { return LastUrlIndex + 1; }
    // Some address of the station has an archive.
    bool hasCatchup() const { return StreamUrls.hasCatchup(); }
};

} // namespace orvanto

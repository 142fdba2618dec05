#pragma once

#include <QtGlobal>

namespace orvanto {

// Takes a copy of the bytes a stream's reader receives, in their order, on the reader's thread.
// take() must return at once: the reader is the engine's input, which a slow tap would stall.
class ByteTap {
public:
    virtual ~ByteTap() = default;
    virtual void take(const char* data, qint64 size) = 0;
};

} // namespace orvanto

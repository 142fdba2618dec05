#pragma once

#include <csignal>
#include <sys/resource.h>

namespace orvanto::test {

// While it lives, no file of the process grows past `bytes`: a write beyond fails with EFBIG
// (SIGXFSZ ignored), as on a disk that is full from there on.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : previous_(std::signal(SIGXFSZ, SIG_IGN)) {
        ok_ = ::getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*previous_)(int);
    bool ok_ = false;
};

} // namespace orvanto::test

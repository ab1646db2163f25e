// Limits the size of files this process writes, as a full disk would; the
// limit holds for root too. Writing past it fails with EFBIG instead of a signal.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace kestrel::test_support {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }

  private:
    rlimit saved_{};
    decltype(SIG_IGN) previous_;
    bool active_ = false;
};

}  // namespace kestrel::test_support

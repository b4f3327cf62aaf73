#pragma once

#include <csignal>
#include <sys/resource.h>

namespace orbiplot::test {

// Runs work as on a disk that fills up after `bytes`: writes beyond it fail with EFBIG
// instead of ending the process.
template <class Work> auto WithFileSizeLimit(rlim_t bytes, Work work) {
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = bytes;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    struct Restore {
        rlimit limit;
        void (*handler)(int);
        ~Restore() {
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, handler);
        }
    } restore{old, previous};
    return work();
}

} // namespace orbiplot::test

#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace orbiplot {

// work(0) on the calling thread and work(1)..work(count-1) each on a thread of its own,
// returning when all are done and passing on the first failure. A thread the system cannot
// make (too little memory, too many threads) leaves its part to the calling thread, so the
// work is always done and never waited for in vain.
template <class Work> void OnThreads(size_t count, const Work& work) {
    std::vector<std::thread> helpers;
    std::vector<size_t> left;
    std::vector<std::exception_ptr> failures(count > 0 ? count : 1);
    const auto part = [&](size_t i) {
        try {
            work(i);
        } catch (...) {
            failures[i] = std::current_exception();
        }
    };
    for (size_t i = 1; i < count; ++i) {
        try {
            helpers.emplace_back(part, i);
        } catch (const std::system_error&) {
            left.push_back(i);
        }
    }
    part(0);
    for (const size_t i : left)
        part(i);
    for (std::thread& helper : helpers)
        helper.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

// Sets a flag once a time has passed, unless it is destroyed first: a long search told to stop
// with what it has.
class Deadline {
public:
    Deadline(std::atomic<bool>& flag, std::chrono::milliseconds limit)
        : thread_([this, &flag, limit] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!ended_.wait_for(lock, limit, [this] { return done_; })) flag = true;
          }) {}
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    ~Deadline() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace orbiplot

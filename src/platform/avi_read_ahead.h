#pragma once
// Reads the samples of a pass over an AVI file on a thread of its own, a few frames ahead of
// the frame being decoded and handed on, so that reading and decoding overlap.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/avi_file.h"

namespace kestrave {

class AviReadAhead {
public:
    // Reads the samples listed in `order` (ascending) as AviFile::readSample does, keeping no
    // more than a few of them (and no more than about 64 MiB) waiting.
    AviReadAhead(const AviFile& file, std::size_t maxBytes, std::vector<std::int64_t> order);
    AviReadAhead(const AviReadAhead&) = delete;
    AviReadAhead& operator=(const AviReadAhead&) = delete;

    // Swaps sample n into `buffer`, waiting for it, and rethrows its read error; samples before
    // it that were not taken are dropped. False when n is not the next sample of the order.
    bool take(std::int64_t n, std::vector<std::uint8_t>& buffer);

private:
    struct Sample {
        std::int64_t n = 0;
        std::vector<std::uint8_t> bytes;
        std::exception_ptr error;
    };
    void run(std::stop_token stop);

    const AviFile& file_;
    const std::size_t maxBytes_;
    const std::vector<std::int64_t> order_;
    const std::size_t depth_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::deque<Sample> ready_;
    std::vector<std::vector<std::uint8_t>> spare_;
    bool finished_ = false;
    // Last, so that it stops and joins before the members it uses go.
    std::jthread worker_;
};

}  // namespace kestrave

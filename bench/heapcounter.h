#pragma once

// The growth of the heap over a stretch of code and its peak, counted by a malloc family of its own
// that hands every call on to the C library's. Counted only between start() and stop(), so the
// rest of the program runs at full speed. Without sanitizers only, which bring their own
// allocator; with them available() is false.

#include <cstdint>

namespace Corvane::Bench::HeapCounter {

bool available();
/// Counts from zero.
void start();
void stop();
/// Bytes allocated less bytes freed since start().
std::int64_t live();
/// The highest live() since start().
std::int64_t peak();

}

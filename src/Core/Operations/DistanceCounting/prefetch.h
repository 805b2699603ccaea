#pragma once

namespace Core {
namespace Operations {

// Asks for the cache line at p ahead of its use. GCC's dead-code pass may drop a
// __builtin_prefetch whose address it can see through, so on x86-64 the instruction
// is written out.
inline void prefetchForRead(const void *p)
{
#if defined(__GNUC__) && defined(__x86_64__)
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char *>(p)));
#elif defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

} // namespace Operations
} // namespace Core

#pragma once

// Declarations for builds with ThreadSanitizer (KELVANE_TSAN). The checker follows the
// locks and atomics of code built with it, but Qt's libraries are built without: a
// hand-over ordered only inside them (the thread pool's queue, the event queue of a
// queued call) looks like a race to it. Where this program relies on such an ordering,
// the sending side calls handOver(token) just before giving the work to Qt and the
// receiving side takeOver(token) before its first access, with the same token address.
// Both compile to nothing in every other build.

#if defined(__SANITIZE_THREAD__)
#define KELVANE_THREAD_CHECK 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KELVANE_THREAD_CHECK 1
#endif
#endif

#include <QMutex>

#ifdef KELVANE_THREAD_CHECK
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
#endif

namespace Util {

inline void handOver(const void *token)
{
#ifdef KELVANE_THREAD_CHECK
    __tsan_release(const_cast<void *>(token));
#else
    (void)token;
#endif
}

inline void takeOver(const void *token)
{
#ifdef KELVANE_THREAD_CHECK
    __tsan_acquire(const_cast<void *>(token));
#else
    (void)token;
#endif
}

// A QMutexLocker whose lock the thread checker sees: a contended QMutex waits inside
// QtCore, so the ordering between the holders is declared here.
class CheckedMutexLocker
{
public:
    explicit CheckedMutexLocker(QMutex *mutex) : mutex(mutex)
    {
        mutex->lock();
        takeOver(mutex);
    }
    ~CheckedMutexLocker()
    {
        handOver(mutex);
        mutex->unlock();
    }
    CheckedMutexLocker(const CheckedMutexLocker &) = delete;
    CheckedMutexLocker &operator=(const CheckedMutexLocker &) = delete;

private:
    QMutex *mutex;
};

} // namespace Util

#pragma once
// Clang's thread-safety annotations, so that the compiler checks which mutex guards what
// (-Wthread-safety); other compilers see nothing. Mutex and MutexLock are std::mutex and
// a scoped lock that the analysis understands.

#include <mutex>

#if defined(__clang__)
#define VELMORA_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define VELMORA_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) VELMORA_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY VELMORA_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) VELMORA_THREAD_ANNOTATION(guarded_by(x))
#define REQUIRES(...) VELMORA_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) VELMORA_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) VELMORA_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) VELMORA_THREAD_ANNOTATION(release_capability(__VA_ARGS__))

namespace velmora {

class CAPABILITY("mutex") Mutex {
  public:
    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }
    // For waiting on a std::condition_variable while a MutexLock holds this mutex.
    std::mutex& native() { return mutex_; }

  private:
    std::mutex mutex_;
};

// Holds `mutex` from construction to destruction, except between unlock() and lock().
class SCOPED_CAPABILITY MutexLock {
  public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : lock_(mutex.native()) {}
    ~MutexLock() RELEASE() {}
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    void unlock() RELEASE() { lock_.unlock(); }
    void lock() ACQUIRE() { lock_.lock(); }
    // What std::condition_variable waits with; it gives the mutex back before returning.
    std::unique_lock<std::mutex>& waitable() { return lock_; }

  private:
    std::unique_lock<std::mutex> lock_;
};

}  // namespace velmora

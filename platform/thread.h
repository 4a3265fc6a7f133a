// Threads for work that runs beside the calling thread: start a worker and wait for it,
// a mutex, an auto-reset event and the number of processor cores. The win32
// implementation uses only what Windows 95 and NT 3.51 have (CreateThread, critical
// sections, events), so it builds with either thread model of MinGW; the host one uses
// the standard library.
#pragma once
#include <functional>
#include <memory>

namespace platform {

// One thread running a body. The destructor waits for a running thread to end.
class Thread {
public:
    Thread();
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts `body` on a new thread; false when no thread could be created. The body
    // must not let an exception out.
    bool Start(std::function<void()> body);
    // Waits until the body has returned (at once when nothing runs).
    void Join();
    bool Running() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A mutual-exclusion lock (not recursive).
class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void Lock();
    void Unlock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Holds a mutex for a scope.
class MutexLock {
public:
    explicit MutexLock(Mutex& m) : m_(m) { m_.Lock(); }
    ~MutexLock() { m_.Unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& m_;
};

// An auto-reset event: Set lets one Wait through (the current waiter or the next one to
// wait) and is reset by it. Sets that come before any Wait do not add up.
class Event {
public:
    Event();
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    void Set();
    void Wait();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Processor cores the process may use (at least 1).
unsigned ProcessorCount();

}  // namespace platform

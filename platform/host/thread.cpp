// Threads over the standard library.
#include "platform/thread.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include <sched.h>

namespace platform {

struct Thread::Impl {
    std::thread thread;
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}
Thread::~Thread() { Join(); }

bool Thread::Start(std::function<void()> body) {
    if (impl_->thread.joinable()) return false;
    try {
        impl_->thread = std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void Thread::Join() {
    if (impl_->thread.joinable()) impl_->thread.join();
}

bool Thread::Running() const { return impl_->thread.joinable(); }

struct Mutex::Impl {
    std::mutex m;
};
Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::Lock() { impl_->m.lock(); }
void Mutex::Unlock() { impl_->m.unlock(); }

struct Event::Impl {
    std::mutex m;
    std::condition_variable cv;
    bool set = false;
};
Event::Event() : impl_(std::make_unique<Impl>()) {}
Event::~Event() = default;

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(impl_->m);
        impl_->set = true;
    }
    impl_->cv.notify_one();
}

void Event::Wait() {
    std::unique_lock<std::mutex> lock(impl_->m);
    impl_->cv.wait(lock, [&] { return impl_->set; });
    impl_->set = false;
}

unsigned ProcessorCount() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        int n = CPU_COUNT(&set);
        if (n > 0) return unsigned(n);
    }
    unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}

}  // namespace platform

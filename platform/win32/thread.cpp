// Threads over the Win32 API of Windows 95 and NT: CreateThread, critical sections and
// auto-reset events. No std::thread or std::mutex, which the win32 thread model of
// MinGW does not have.
#include "platform/win32/win32_api.h"

#include "platform/thread.h"

namespace platform {

struct Thread::Impl {
    HANDLE handle = nullptr;
    std::function<void()> body;

    static DWORD WINAPI Entry(LPVOID self) {
        static_cast<Impl*>(self)->body();
        return 0;
    }
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}
Thread::~Thread() { Join(); }

bool Thread::Start(std::function<void()> body) {
    if (impl_->handle) return false;
    impl_->body = std::move(body);
    DWORD id = 0;  // Windows 95 wants somewhere to put the id
    impl_->handle = ::CreateThread(nullptr, 0, &Impl::Entry, impl_.get(), 0, &id);
    if (!impl_->handle) {
        impl_->body = nullptr;
        return false;
    }
    return true;
}

void Thread::Join() {
    if (!impl_->handle) return;
    ::WaitForSingleObject(impl_->handle, INFINITE);
    ::CloseHandle(impl_->handle);
    impl_->handle = nullptr;
    impl_->body = nullptr;
}

bool Thread::Running() const { return impl_->handle != nullptr; }

struct Mutex::Impl {
    CRITICAL_SECTION cs;
};
Mutex::Mutex() : impl_(std::make_unique<Impl>()) { ::InitializeCriticalSection(&impl_->cs); }
Mutex::~Mutex() { ::DeleteCriticalSection(&impl_->cs); }
void Mutex::Lock() { ::EnterCriticalSection(&impl_->cs); }
void Mutex::Unlock() { ::LeaveCriticalSection(&impl_->cs); }

struct Event::Impl {
    HANDLE handle = nullptr;
};
Event::Event() : impl_(std::make_unique<Impl>()) {
    impl_->handle = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
}
Event::~Event() {
    if (impl_->handle) ::CloseHandle(impl_->handle);
}
void Event::Set() { ::SetEvent(impl_->handle); }
void Event::Wait() { ::WaitForSingleObject(impl_->handle, INFINITE); }

unsigned ProcessorCount() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors ? unsigned(info.dwNumberOfProcessors) : 1;
}

}  // namespace platform

#include "framework/ui/backend.h"

namespace ui {

namespace {
std::unique_ptr<TBackend>& Current() {
    static std::unique_ptr<TBackend> backend;
    return backend;
}
}  // namespace

TBackend& Backend() {
    auto& b = Current();
    if (!b) b = CreateDefaultBackend();
    return *b;
}

bool HasBackend() { return Current() != nullptr; }

void SetBackend(std::unique_ptr<TBackend> backend) { Current() = std::move(backend); }

}  // namespace ui

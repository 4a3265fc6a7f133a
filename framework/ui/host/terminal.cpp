#include "framework/ui/headless.h"

namespace ui {
std::unique_ptr<TBackend> CreateDefaultBackend() { return std::make_unique<THeadlessBackend>(); }
}  // namespace ui

// The message of the exception a piece of code raises, for tests that compare messages.
#pragma once
#include <functional>
#include <string>

#include "framework/classes.h"

namespace zarn::test {

// The Message of the framework exception `fn` raises, or "(nothing raised)".
inline std::string Message(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

}  // namespace zarn::test

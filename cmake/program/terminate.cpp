// The terminate handler of every Windows program (linked into each one by
// zarn_windows_program, ahead of the C++ runtime).
//
// GCC's runtime installs __gnu_cxx::__verbose_terminate_handler as the default handler.
// It names the type of the exception that escaped, and for that links the whole C++
// demangler into a static image: some 45 KB of code and tables that run only on the way
// to abort(). This definition takes its place, so the runtime's member that defines it,
// and the demangler behind it, are never linked. It says what the exception said and
// aborts, as the runtime's handler does.
#include <cstdio>
#include <cstdlib>
#include <exception>

#if defined(__GLIBCXX__)

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    static bool entered = false;
    if (!entered) {
        entered = true;
        if (std::exception_ptr escaped = std::current_exception()) {
            std::fputs("terminate called after throwing an exception\n", stderr);
            try {
                std::rethrow_exception(escaped);
            } catch (const std::exception& e) {
                std::fputs("  what():  ", stderr);
                std::fputs(e.what(), stderr);
                std::fputs("\n", stderr);
            } catch (...) {
            }
        } else {
            std::fputs("terminate called without an active exception\n", stderr);
        }
    }
    std::abort();
}

}  // namespace __gnu_cxx
#endif

// Test entry point. On the host every test runs in a fresh temporary Windows root, so
// nothing touches the user's own folders and tests do not see each other's files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/testenv.h"

namespace {

class FreshRootListener : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override {
        if (!platform::testenv::Available()) return;
#if defined(ZARN_HOST)
        std::string tmpl = (std::filesystem::temp_directory_path() / "zarn-test-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        root_ = tmpl;
        if (!platform::testenv::UseRoot(root_)) std::abort();
#endif
    }
    void OnTestEnd(const testing::TestInfo& info) override {
        if (root_.empty()) return;
        if (!info.result()->Failed() || !std::getenv("ZARN_KEEP_FAILED_ROOTS")) {
            std::error_code ec;
            std::filesystem::remove_all(root_, ec);
        }
        root_.clear();
    }

private:
    std::string root_;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshRootListener);
    return RUN_ALL_TESTS();
}

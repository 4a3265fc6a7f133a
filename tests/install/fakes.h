// Stand-ins for the install tests: a main install object that records its restart list,
// and a helper of any rank that records its runs and what it hears.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/paths.h"
#include "install/cmp_TInstallContainer.h"

namespace zarn::test {

inline void InitialiseInstallUnitsForTests() {
    InitialiseSystemFolders();
    InitialiseInstallContainers();
}

// A main install object with a fixed destination, loading folder and product name.
class TTestInstall : public TInstall {
    ZARN_CLASS(TTestInstall, TInstall)
public:
    explicit TTestInstall(TComponent* owner) : TInstall(owner) {}
    std::string ProductName() const override { return product; }
    std::string LoadingDir() const override { return loading; }
    void AddToRestartList(const std::string& text, int kind) override { restart.push_back({text, kind}); }
    std::string product = "Demo";
    std::string loading = "D:\\Setup";
    std::vector<std::pair<std::string, int>> restart;
};
inline ZARN_DEFINE_CLASS(TTestInstall, TInstall, [](auto&) {})

// A helper of any rank that records what happens to it into a shared log.
class TRecorder : public TFileRelated {
    ZARN_CLASS(TRecorder, TFileRelated)
public:
    TRecorder(TComponent* owner, std::vector<std::string>* log, int rank = 0, const std::string& name = {})
        : TFileRelated(owner), log_(log) {
        processRank_ = rank;
        autoProcess_ = true;
        if (!name.empty()) SetName(name);
    }
    void Install() override {
        if (log_) log_->push_back("Install " + Name());
        if (onInstall) onInstall();
        TFileRelated::Install();
    }
    void ContainerEvent(TInstallContainer* container, const std::string& eventName, TObject*) override {
        if (log_) log_->push_back(Name() + " hears " + eventName + " from " + container->Name());
    }
    void WriteUninstallInfo(const std::string& key) override {
        if (log_) log_->push_back("Uninstall " + Name() + " " + key);
    }
    std::function<void()> onInstall;

private:
    std::vector<std::string>* log_;
};
inline ZARN_DEFINE_CLASS(TRecorder, TFileRelated, [](auto&) {})

// The names of a container's helpers in list order, and their orders.
inline std::vector<std::string> HelperNames(const TInstallContainer& c) {
    std::vector<std::string> names;
    for (int i = 0; i < c.CompCount(); ++i) names.push_back(c.Comps(i)->Name());
    return names;
}
inline std::vector<int> HelperOrders(const TInstallContainer& c) {
    std::vector<int> orders;
    for (int i = 0; i < c.CompCount(); ++i) orders.push_back(c.Comps(i)->Order());
    return orders;
}

// Base fixture: the units' globals exist, and every test owns its components through
// one owner that frees what is left at the end.
class InstallTest : public testing::Test {
protected:
    void SetUp() override { InitialiseInstallUnitsForTests(); }
    void TearDown() override {
        delete owner;
        owner = nullptr;
        ASSERT_EQ(MainInstall, nullptr);
        ASSERT_TRUE(InstallContainers->empty());
    }
    TComponent* owner = new TComponent(nullptr);
};

}  // namespace zarn::test

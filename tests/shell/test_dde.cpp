// The DDE client against a server registered in this process.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/dde.h"
#include "platform/ddeserver.h"

namespace {

// Records every execute; answers requests for the items it knows.
class RecordingHandler : public platform::dde::ServerHandler {
public:
    bool AcceptTopic(const std::string& topic) override { return topic == "Topic"; }
    bool Execute(const std::string& topic, const std::string& command) override {
        std::lock_guard<std::mutex> lock(mutex_);
        commands_.push_back(topic + "|" + command);
        return true;
    }
    std::optional<std::string> Request(const std::string& topic, const std::string& item) override {
        if (item == "Games") return "\"Games\",C:\\x,1\r\n\"Run\",\"run.exe\",,,0,0,0,0,0\r\n";
        return std::nullopt;
    }
    std::vector<std::string> Commands() {
        std::lock_guard<std::mutex> lock(mutex_);
        return commands_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> commands_;
};

TEST(DdeClient, ExecutesAndRequestsThroughARegisteredServer) {
    ASSERT_EQ(platform::dde::Initialize(), 0u);
    RecordingHandler handler;
    platform::dde::Server server("ZarnTestService", handler);
    ASSERT_TRUE(server.Running());

    platform::dde::Conversation conv;
    EXPECT_FALSE(conv.Connected());
    EXPECT_FALSE(conv.Execute("[Lost()]"));  // no conversation yet: nothing sent
    ASSERT_TRUE(conv.Connect("ZarnTestService", "Topic"));
    EXPECT_TRUE(conv.Connected());

    EXPECT_TRUE(conv.Execute("[First(1)]"));
    EXPECT_TRUE(conv.Execute("[Second(\"a, b\")]"));
    std::vector<std::string> expected = {"Topic|[First(1)]", "Topic|[Second(\"a, b\")]"};
    EXPECT_EQ(handler.Commands(), expected);

    std::optional<std::string> reply = conv.Request("Games");
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, "\"Games\",C:\\x,1\r\n\"Run\",\"run.exe\",,,0,0,0,0,0\r\n");
    EXPECT_FALSE(conv.Request("Nothing").has_value());

    conv.Disconnect();
    EXPECT_FALSE(conv.Connected());
    EXPECT_FALSE(conv.Execute("[After()]"));
    EXPECT_FALSE(conv.Request("Games").has_value());
}

TEST(DdeClient, ConnectFailsForAnUnknownTopic) {
    RecordingHandler handler;
    platform::dde::Server server("ZarnTestService", handler);
    platform::dde::Conversation conv;
    EXPECT_FALSE(conv.Connect("ZarnTestService", "OtherTopic"));
    EXPECT_FALSE(conv.Connected());
    EXPECT_TRUE(handler.Commands().empty());
}

}  // namespace

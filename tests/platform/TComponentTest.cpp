#include "platform/TComponent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;

// Records its own destruction and the removals it hears of.
class Recorder : public TComponent {
public:
    Recorder(TComponent* owner, std::string name, std::vector<std::string>& log)
        : TComponent(owner), log_(log) {
        SetName(std::move(name));
    }
    ~Recorder() override { log_.push_back("destroy " + Name()); }

    int loaded = 0;

protected:
    void Notification(TComponent& component, TOperation operation) override {
        if (operation == TOperation::opRemove) {
            log_.push_back(Name() + " heard " + component.Name());
        }
    }
    void Loaded() override { ++loaded; }

private:
    std::vector<std::string>& log_;
};

TEST(TComponent, OwnerFreesWhatItOwnsLastMadeFirst) {
    std::vector<std::string> log;
    {
        Recorder owner(nullptr, "owner", log);
        auto& first = owner.Create<Recorder>(&owner, "first", log);
        owner.Create<Recorder>(&owner, "second", log);
        EXPECT_EQ(first.Owner(), &owner);
        EXPECT_EQ(owner.FindComponent("second")->Name(), "second");
        EXPECT_EQ(owner.FindComponent("third"), nullptr);
    }
    EXPECT_THAT(log, ElementsAre("destroy owner", "destroy second", "destroy first"));
}

TEST(TComponent, RemovalIsHeardWhicheverGoesFirst) {
    for (const bool packetFirst : {true, false}) {
        std::vector<std::string> log;
        auto port = std::make_unique<Recorder>(nullptr, "port", log);
        auto packet = std::make_unique<Recorder>(nullptr, "packet", log);
        packet->FreeNotification(*port);
        if (packetFirst) {
            packet.reset();
            port.reset();
            EXPECT_THAT(log, ElementsAre("destroy packet", "port heard packet", "destroy port"));
        } else {
            port.reset();
            packet.reset();
            EXPECT_THAT(log, ElementsAre("destroy port", "packet heard port", "destroy packet"));
        }
    }
}

TEST(TComponent, RemovedNotificationIsNotHeard) {
    std::vector<std::string> log;
    Recorder packet(nullptr, "packet", log);
    {
        Recorder port(nullptr, "port", log);
        packet.FreeNotification(port);
        packet.FreeNotification(port);
        packet.RemoveFreeNotification(port);
    }
    EXPECT_THAT(log, ElementsAre("destroy port"));
}

TEST(TComponent, LoadingEndsWithLoaded) {
    std::vector<std::string> log;
    Recorder component(nullptr, "c", log);
    component.BeginLoading();
    EXPECT_TRUE(component.Loading());
    component.EndLoading();
    EXPECT_FALSE(component.Loading());
    EXPECT_EQ(component.loaded, 1);
}

} // namespace

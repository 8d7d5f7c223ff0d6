#include "events.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "clock.h"

namespace {

std::vector<std::string> log_lines;

struct Recorder : EVENT_CLIENT {
  std::string name;
  std::function<void(EVENT*)> also;
  explicit Recorder(std::string n) : name(std::move(n)) {}
  void handle_event(EVENT* e) override {
    log_lines.push_back(name + ":" + std::to_string(e->kind));
    if (also) also(e);
  }
};

EVENT* make_event(INT_U32 kind) {
  EVENT* e = new EVENT;
  e->kind = kind;
  return e;
}

int cleaned = 0;
void count_cleanup(EVENT* e, INT_WORD user) {
  ++cleaned;
  log_lines.push_back("cleanup:" + std::to_string(e->kind) + ":" + std::to_string(word_to_s32(user)));
}

struct BigEvent : EVENT {
  std::string payload = std::string(100, 'p');  // deleted whole through EVENT*
};

}  // namespace

TEST(Events, ClientsReceiveEveryEventInRegistrationOrder) {
  log_lines.clear();
  Recorder a("a"), b("b");
  EVENT e1, e2;
  e1.kind = 1;
  e2.kind = 2;
  post_event(&e1, 0);
  post_event(&e2, 0);
  EXPECT_TRUE(log_lines.empty());  // nothing before the drain
  dispatch_events();
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:1", "b:1", "a:2", "b:2"}));
  EXPECT_EQ(event_queue().count, 0);
}

TEST(Events, OwnedEventsAreCleanedUpEvenWithoutClients) {
  log_lines.clear();
  cleaned = 0;
  EVENT* e = make_event(7);
  e->cleanup = count_cleanup;
  e->user_value = word_from_s32(-3);
  post_event(e, 1);
  post_event(new BigEvent, 1);
  dispatch_events();
  EXPECT_EQ(log_lines, (std::vector<std::string>{"cleanup:7:-3"}));
  EXPECT_EQ(event_queue().count, 0);
}

TEST(Events, EventsPostedDuringDeliveryArriveInTheNextFrame) {
  log_lines.clear();
  Recorder a("a");
  a.also = [](EVENT* e) {
    if (e->kind == 1) post_event(make_event(3), 1);
  };
  Recorder b("b");
  post_event(make_event(1), 1);
  post_event(make_event(2), 1);
  dispatch_events();
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:1", "b:1", "a:2", "b:2"}));
  log_lines.clear();
  dispatch_events();
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:3", "b:3"}));
  log_lines.clear();
  dispatch_events();
  EXPECT_TRUE(log_lines.empty());
}

TEST(Events, DestroyedClientsAreNeverCalled) {
  log_lines.clear();
  auto* a = new Recorder("a");
  auto* b = new Recorder("b");
  auto* c = new Recorder("c");
  delete b;
  deliver_event(make_event(1), 1);
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:1", "c:1"}));
  // A handler that destroys the next client and itself.
  log_lines.clear();
  Recorder* victim = c;
  a->also = [&](EVENT*) {
    delete victim;
    victim = nullptr;
  };
  Recorder d("d");
  deliver_event(make_event(2), 1);
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:2", "d:2"}));
  log_lines.clear();
  Recorder* self = nullptr;
  a->also = [&](EVENT*) { delete self; };
  self = a;
  deliver_event(make_event(3), 1);
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:3", "d:3"}));
  EXPECT_EQ(event_client_list().count, 1);
}

TEST(Events, ClientsRegisteredDuringADeliveryWaitForTheNextEvent) {
  log_lines.clear();
  std::vector<std::unique_ptr<Recorder>> born;
  Recorder a("a");
  a.also = [&](EVENT*) { born.push_back(std::make_unique<Recorder>("n" + std::to_string(born.size()))); };
  Recorder b("b");
  b.also = [&](EVENT* e) {
    if (e->kind == 1) born.push_back(std::make_unique<Recorder>("m"));
  };
  deliver_event(make_event(1), 1);
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:1", "b:1"}));
  log_lines.clear();
  deliver_event(make_event(2), 1);
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:2", "b:2", "n0:2", "m:2"}));
}

TEST(Events, DestroyingTheLastClientDuringADelivery) {
  // The handler removes the last client and registers a new one: neither
  // receives this event.
  log_lines.clear();
  Recorder a("a");
  auto* b = new Recorder("b");
  std::unique_ptr<Recorder> late;
  a.also = [&](EVENT*) {
    if (late) return;
    delete b;
    late = std::make_unique<Recorder>("late");
  };
  deliver_event(make_event(1), 1);
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:1"}));
  log_lines.clear();
  deliver_event(make_event(2), 1);
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:2", "late:2"}));
}

TEST(Events, NestedDrainFromAHandlerDoesNothing) {
  log_lines.clear();
  Recorder a("a");
  a.also = [](EVENT* e) {
    if (e->kind == 1) dispatch_events();
  };
  post_event(make_event(1), 1);
  post_event(make_event(2), 1);
  dispatch_events();
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:1", "a:2"}));
}

TEST(Events, PlatformPumpDeliversTheQueue) {
  // The frame pump is what drains the queue each frame.
  log_lines.clear();
  Recorder a("a");
  post_event(make_event(5), 1);
  update_platform();
  EXPECT_EQ(log_lines, (std::vector<std::string>{"a:5"}));
}

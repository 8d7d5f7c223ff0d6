#include "joystick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

// One 8-byte device event as the kernel writes it: u32 time, i16 value,
// u8 type, u8 number, little-endian.
std::vector<uint8_t> event(uint32_t time, int16_t value, uint8_t type, uint8_t number) {
  uint16_t v = static_cast<uint16_t>(value);
  return {uint8_t(time), uint8_t(time >> 8), uint8_t(time >> 16), uint8_t(time >> 24),
          uint8_t(v), uint8_t(v >> 8), type, number};
}

std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class Joystick : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = zt::make_temp_dir("dev");
    js = dir + "/js%d";
    djs = dir + "/djs%d";
    joystick_device_patterns[0] = js.c_str();
    joystick_device_patterns[1] = djs.c_str();
  }
  void TearDown() override { close_joysticks(); }
  std::string dir, js, djs;
};

TEST_F(Joystick, NoDevices) {
  EXPECT_EQ(find_joystick(1), -1);
  JOYSTICK_STATE state{};
  state.number = 1;
  EXPECT_FALSE(read_joystick(&state));
  JOYSTICK_CAPS caps{};
  EXPECT_FALSE(get_joystick_caps(&state, &caps));
}

TEST_F(Joystick, CountsFirstFamilyThenSecond) {
  zt::write_bytes(dir + "/js0", {});
  zt::write_bytes(dir + "/djs0", event(0, 1, 1, 7));
  int first = find_joystick(1);
  int second = find_joystick(2);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  // The second joystick is the one of the second family: it holds one event.
  JOYSTICK_STATE state{};
  state.number = 2;
  ASSERT_TRUE(read_joystick(&state));
  EXPECT_EQ(state.buttons, 1u << 7);
  EXPECT_EQ(find_joystick(3), -1);
  EXPECT_EQ(find_joystick(0), -1);
}

TEST_F(Joystick, EventsUpdateTheState) {
  zt::write_bytes(dir + "/js0",
                  join({event(1, 1, 0x81, 0),       // initial state counts as a button
                        event(2, 1, 1, 3),          //
                        event(3, 0, 1, 0),          // button 0 released
                        event(4, -32767, 2, 1),     // axis 1
                        event(5, 1234, 0x82, 5),    // axis 5, initial state
                        event(6, 999, 2, 6),        // axis 6: no such axis
                        event(7, 1, 1, 31),         // highest bit of the mask
                        event(8, 1, 1, 32),         // no bit for it
                        event(9, 1, 1, 255),        // no bit for it
                        event(10, 5, 4, 2)}));      // unknown type
  JOYSTICK_STATE state{};
  state.number = 1;
  state.changed = 77;
  ASSERT_TRUE(read_joystick(&state));
  EXPECT_EQ(state.buttons, (1u << 3) | (1u << 31));
  EXPECT_EQ(state.axis[1], -32767);
  EXPECT_EQ(state.axis[5], 1234);
  EXPECT_EQ(state.axis[0], 0);
  EXPECT_EQ(state.changed, 0);
  // Nothing pending: the state stays.
  ASSERT_TRUE(read_joystick(&state));
  EXPECT_EQ(state.buttons, (1u << 3) | (1u << 31));
}

TEST_F(Joystick, TrailingPartialEventIsNotApplied) {
  auto bytes = join({event(1, 1, 1, 2), event(2, 1, 1, 4)});
  bytes.resize(bytes.size() - 3);
  zt::write_bytes(dir + "/js0", bytes);
  JOYSTICK_STATE state{};
  state.number = 1;
  ASSERT_TRUE(read_joystick(&state));
  EXPECT_EQ(state.buttons, 1u << 2);
}

TEST_F(Joystick, BadNumberAndCapsOfAPlainFile) {
  zt::write_bytes(dir + "/js0", {});
  JOYSTICK_STATE state{};
  state.number = 3;
  EXPECT_FALSE(read_joystick(&state));
  state.number = 1;
  JOYSTICK_CAPS caps;
  memset(&caps, 0xAA, sizeof caps);
  // A plain file answers no requests: no buttons, no axes.
  ASSERT_TRUE(get_joystick_caps(&state, &caps));
  EXPECT_EQ(caps.button_count, 0);
  for (auto& range : caps.axis_range) {
    EXPECT_EQ(range[0], -32767);
    EXPECT_EQ(range[1], 32767);
  }
  for (int i = 0; i < 4; i++) EXPECT_EQ(caps.axis_flags[i], 0);
  EXPECT_EQ(caps.reserved, 0);
}

}  // namespace

#include "sockets.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "clock.h"
#include "host_test_util.h"
#include "test_support.h"

namespace {

// A port that nothing listens on right now.
INT_U16 free_port(int type = SOCK_STREAM) {
  int fd = socket(AF_INET, type, 0);
  struct sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t size = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
  close(fd);
  return ntohs(a.sin_port);
}

// Polls until the call gives something other than `idle` (at most 5 s).
INT_S32 poll_for(const std::function<INT_S32()>& call, INT_S32 idle = 0) {
  INT_S32 r = idle;
  for (int i = 0; i < 500 && (r = call()) == idle; i++)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return r;
}

std::vector<uint8_t> bytes_of(INT_U32 address) {
  const uint8_t* b = reinterpret_cast<const uint8_t*>(&address);
  return {b[0], b[1], b[2], b[3]};
}

TEST(Sockets, AddressTexts) {
  struct Case {
    const char* text;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"1.2.3.4", {1, 2, 3, 4}},
      {"192.0.2.200", {192, 0, 2, 200}},
      {"255.255.255.255", {255, 255, 255, 255}},
      {"localhost", {127, 0, 0, 1}},
      {"", {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(bytes_of(resolve_address(c.text)), c.bytes);
  }
  EXPECT_EQ(resolve_address(nullptr), 0u);
  EXPECT_STREQ(format_ip_address(resolve_address("10.20.30.40")), "10.20.30.40");
  EXPECT_STREQ(get_host_address_text("localhost"), "127.0.0.1");
  EXPECT_STREQ(get_host_address_text(nullptr), "");
  EXPECT_STREQ(get_host_address_text(""), "");
  EXPECT_TRUE(is_address_resolvable("127.0.0.1"));
  EXPECT_FALSE(is_address_resolvable(""));
  char name[256] = {0};
  gethostname(name, sizeof name - 1);
  EXPECT_EQ(std::string(get_host_name()), std::string(name).substr(0, 99));
}

TEST(Sockets, BroadcastDestinationRule) {
  EXPECT_EQ(datagram_destination(nullptr), 0xFFFFFFFFu);
  EXPECT_EQ(datagram_destination(""), 0xFFFFFFFFu);
  EXPECT_EQ(bytes_of(datagram_destination("127.0.0.1")), (std::vector<uint8_t>{127, 0, 0, 1}));
  EXPECT_EQ(bytes_of(datagram_destination("9.8.7.6")), (std::vector<uint8_t>{9, 8, 7, 6}));
}

TEST(Sockets, ZeroBufferIsFatal) {
  zt::ChildResult r = zt::run_in_child([] { TCPIP tcpip(1, 1, 1, 0); });
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.out.find("Application was unable to continue"), std::string::npos) << r.out;
  std::string box;
  for (auto& call : zt::message_box_calls())
    for (auto& arg : call) box += arg + "\n";
  EXPECT_NE(box.find("Receive buffer ssize supplied to TCPIP::TCPIP() was invalid"),
            std::string::npos) << box;
}

class Tcp : public ::testing::Test {
 protected:
  void SetUp() override {
    port = free_port();
    ASSERT_TRUE(open_server_group(&tcpip, port));
    client = connect_to(&tcpip, "127.0.0.1", port);
    ASSERT_EQ(client, 0);
    INT_S16 index = -1;
    INT_U16 from_port = 0;
    ASSERT_EQ(poll_for([&] { return INT_S32(accept_connection(&tcpip, &index, &from_port)); }), 1);
    server = index;
    EXPECT_EQ(from_port, port);
    EXPECT_EQ(server, 1);
  }
  TCPIP tcpip{4, 1, 1, 64};
  INT_U16 port = 0;
  INT_S16 client = -1, server = -1;
};

TEST_F(Tcp, ServerGroupHasOneSocketPerInterface) {
  struct ifaddrs* list = nullptr;
  ASSERT_EQ(getifaddrs(&list), 0);
  int interfaces = 0;
  for (struct ifaddrs* a = list; a; a = a->ifa_next)
    if (a->ifa_addr && a->ifa_addr->sa_family == AF_INET) interfaces++;
  freeifaddrs(list);
  EXPECT_EQ(tcpip.state->server_groups[0].socket_count, interfaces);
  EXPECT_EQ(tcpip.state->server_groups[0].port, port);
}

TEST_F(Tcp, ExchangeWithoutBlocking) {
  INT_U8 buffer[64];
  // Nothing waiting: 0 at once.
  EXPECT_EQ(receive(&tcpip, server, buffer, sizeof buffer), 0);
  frame_activity = 0;
  EXPECT_EQ(send_now(&tcpip, client, "hello", 5), 5);
  EXPECT_EQ(frame_activity, 1);
  INT_S32 got = poll_for([&] { return receive(&tcpip, server, buffer, sizeof buffer); });
  ASSERT_EQ(got, 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "hello");

  EXPECT_EQ(send_all(&tcpip, server, reinterpret_cast<const INT_U8*>("reply"), 5), 5);
  ASSERT_EQ(poll_for([&] { return receive(&tcpip, client, buffer, sizeof buffer); }), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "reply");

  std::string peer = get_peer_address_text(&tcpip, server);
  EXPECT_EQ(peer.rfind("127.0.0.1:", 0), 0u) << peer;
  EXPECT_EQ(std::string(get_peer_address_text(&tcpip, client)), "127.0.0.1:" + std::to_string(port));
  EXPECT_STREQ(get_peer_address_text(&tcpip, 3), "");
}

TEST_F(Tcp, MessagesArriveWhole) {
  INT_U8 buffer[16];
  ASSERT_EQ(send_now(&tcpip, client, "012345", 6), 6);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(receive_message(&tcpip, server, buffer, 10), 0);
  ASSERT_EQ(send_now(&tcpip, client, "6789ab", 6), 6);
  ASSERT_EQ(poll_for([&] { return receive_message(&tcpip, server, buffer, 10); }), 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 10), "0123456789");
  // The fill starts again at 0: the last two bytes make a new message.
  EXPECT_EQ(receive_message(&tcpip, server, buffer, 2), 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 2), "ab");
  EXPECT_EQ(receive_message(&tcpip, server, buffer, 0), -1);
  EXPECT_EQ(receive_message(&tcpip, 3, buffer, 4), -1);
}

TEST_F(Tcp, QueuedDataIsFlushed) {
  queue_send(&tcpip, client, "abc", 3);
  queue_send(&tcpip, client, "def", 3);
  queue_send(&tcpip, client, "x", 0);
  EXPECT_EQ(tcpip.state->connections[client].send_length, 6u);
  flush_send_queues(&tcpip);
  EXPECT_EQ(tcpip.state->connections[client].send_length, 0u);
  INT_U8 buffer[16];
  ASSERT_EQ(poll_for([&] { return receive_message(&tcpip, server, buffer, 6); }), 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), "abcdef");
}

TEST_F(Tcp, ClosedPeerIsNoticed) {
  close_connection(&tcpip, client);
  EXPECT_FALSE(is_connection_open(&tcpip, client));
  INT_U8 buffer[8];
  EXPECT_EQ(poll_for([&] { return receive(&tcpip, server, buffer, sizeof buffer); }), -2);
  EXPECT_FALSE(is_connection_open(&tcpip, server));
  EXPECT_EQ(receive(&tcpip, server, buffer, sizeof buffer), -1);
}

TEST_F(Tcp, SendingToAClosedPeerFailsWithoutASignal) {
  close_connection(&tcpip, server);
  INT_S32 r = poll_for([&] { return send_now(&tcpip, client, "x", 1); }, 1);
  EXPECT_EQ(r, -2);
  EXPECT_FALSE(is_connection_open(&tcpip, client));
}

TEST(Sockets, FullTableAndRefusedConnections) {
  INT_U16 port = free_port();
  TCPIP tcpip(1, 1, 1, 64);
  EXPECT_EQ(connect_to(&tcpip, "127.0.0.1", port), -1);  // nobody listens
  ASSERT_TRUE(open_server_group(&tcpip, port));
  EXPECT_FALSE(open_server_group(&tcpip, port));  // the one group is taken
  EXPECT_EQ(connect_to(&tcpip, "127.0.0.1", port), 0);
  EXPECT_EQ(connect_to(&tcpip, "127.0.0.1", port), -1);
  // No free entry for the accepted socket: it is closed, nothing reported.
  // The connection waits in the listen queue once connect_to has returned.
  INT_S16 index = 7;
  INT_U16 from = 7;
  EXPECT_FALSE(accept_connection(&tcpip, &index, &from));
  EXPECT_EQ(index, -1);
  EXPECT_EQ(from, 0);
  INT_U8 buffer[4];
  EXPECT_EQ(poll_for([&] { return receive(&tcpip, 0, buffer, sizeof buffer); }), -2);
  EXPECT_FALSE(is_connection_open(&tcpip, 0));
  close_server_groups(&tcpip, port);
  EXPECT_EQ(tcpip.state->server_groups[0].sockets, nullptr);
  EXPECT_EQ(send_now(&tcpip, 5, "x", 1), -1);
  EXPECT_EQ(send_all(&tcpip, -1, reinterpret_cast<const INT_U8*>("x"), 1), -1);
}

// An address that does not resolve must not read as 0.0.0.0, which Linux
// takes for this host: with a server listening here, nothing connects.
TEST(Sockets, UnresolvableHostDoesNotReachThisMachine) {
  INT_U16 port = free_port();
  TCPIP tcpip(1, 4, 1, 64);
  ASSERT_TRUE(open_server_group(&tcpip, port));
  for (const char* host : {"no-such-host..invalid", "", "0.0.0.0"}) {
    EXPECT_EQ(connect_to(&tcpip, host, port), -1) << host;
  }
  EXPECT_EQ(connect_to(&tcpip, nullptr, port), -1);
  INT_S16 index = 7;
  EXPECT_FALSE(accept_connection(&tcpip, &index, nullptr));
  EXPECT_EQ(connect_to(&tcpip, "127.0.0.1", port), 0);  // the server does listen
  close_server_groups(&tcpip, port);
}

TEST(Sockets, DatagramOnLoopback) {
  if (!ht::host_name_in_hosts_file()) GTEST_SKIP() << "the host name would be looked up outside";
  INT_U16 port = free_port(SOCK_DGRAM);
  TCPIP tcpip(1, 1, 1, 256);
  ASSERT_TRUE(open_datagram_group(&tcpip, port));
  // Only to this host's loopback address.
  send_datagram(&tcpip, port, "ping", 4, "127.0.0.1", port);
  INT_U8 buffer[16];
  char* from = nullptr;
  INT_U16 from_port = 0, group_port = 0;
  INT_S32 got = poll_for([&] {
    return receive_datagram(&tcpip, buffer, sizeof buffer, &from, &from_port, &group_port);
  });
  ASSERT_EQ(got, 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "ping");
  EXPECT_STREQ(from, "127.0.0.1");
  EXPECT_EQ(from_port, port);
  EXPECT_EQ(group_port, port);
  EXPECT_EQ(receive_datagram(&tcpip, buffer, sizeof buffer, &from, &from_port, &group_port), 0);
  close_datagram_groups(&tcpip, 0);
  EXPECT_EQ(tcpip.state->datagram_groups[0].sockets, nullptr);
}

}  // namespace

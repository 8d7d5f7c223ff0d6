#include "sockets.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clock.h"
#include "errors.h"

namespace {

char dotted_buffer[20];
char peer_buffer[32];
char host_name_buffer[100];
char host_address_buffer[20];
char sender_buffer[20];

// How long send_all waits for a peer that takes nothing before it gives up.
const int kSendStallMs = 10000;

bool set_non_blocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

void set_option(int fd, int level, int name, int value) {
  setsockopt(fd, level, name, &value, sizeof value);
}

void set_linger(int fd, int on) {
  struct linger linger = {on, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &linger, sizeof linger);
}

TCPIP_CONNECTION* connection_at(TCPIP* tcpip, INT_S16 index) {
  if (!tcpip || !tcpip->state || index < 0 || index >= tcpip->state->connection_count)
    return nullptr;
  return &tcpip->state->connections[index];
}

TCPIP_CONNECTION* open_connection_at(TCPIP* tcpip, INT_S16 index) {
  TCPIP_CONNECTION* c = connection_at(tcpip, index);
  return c && c->socket != -1 ? c : nullptr;
}

bool would_block() { return errno == EAGAIN || errno == EWOULDBLOCK; }

// A dotted quad of four numbers 0..255, exactly; false for anything else.
bool parse_dotted_quad(const char* text, INT_U8 out[4]) {
  short parts[4];
  int used = -1;
  if (sscanf(text, "%hd.%hd.%hd.%hd%n", &parts[0], &parts[1], &parts[2], &parts[3], &used) != 4 ||
      used < 0 || text[used] != '\0')
    return false;
  for (int i = 0; i < 4; i++) {
    if (parts[i] < 0 || parts[i] > 255) return false;
    out[i] = static_cast<INT_U8>(parts[i]);
  }
  return true;
}

bool lookup_ipv4(const char* name, INT_U32* address) {
  struct addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  struct addrinfo* result = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &result) != 0 || !result) return false;
  *address = reinterpret_cast<struct sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(result);
  return true;
}

void format_into(char* buffer, size_t size, INT_U32 address) {
  const INT_U8* b = reinterpret_cast<const INT_U8*>(&address);
  snprintf(buffer, size, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
}

void close_group(TCPIP_GROUP* group) {
  if (!group->sockets) return;
  for (INT_S16 i = 0; i < group->socket_count; i++) close_socket(&group->sockets[i]);
  free(group->sockets);
  group->sockets = nullptr;
  group->socket_count = 0;
  group->port = 0;
}

TCPIP_GROUP* free_group(TCPIP_GROUP* groups, INT_U16 count) {
  for (INT_U16 i = 0; i < count; i++)
    if (!groups[i].sockets) return &groups[i];
  return nullptr;
}

// The first connection without a socket, or -1.
INT_S16 free_connection(const TCPIP_STATE* s) {
  for (INT_U16 i = 0; i < s->connection_count && i <= 0x7FFF; i++)
    if (s->connections[i].socket == -1) return static_cast<INT_S16>(i);
  return -1;
}

// A connection starts on `fd` with nothing received and nothing queued.
void start_connection(TCPIP_CONNECTION& c, int fd) {
  c.socket = fd;
  c.receive_fill = 0;
  free(c.send_queue);
  c.send_queue = nullptr;
  c.send_length = 0;
  frame_activity = 1;
}

INT_S32* new_socket_array(INT_S16 count) {
  INT_S32* sockets = static_cast<INT_S32*>(malloc(sizeof(INT_S32) * (count > 0 ? count : 1)));
  if (sockets)
    for (INT_S16 i = 0; i < count; i++) sockets[i] = -1;
  return sockets;
}

}  // namespace

// --- The manager -----------------------------------------------------------

TCPIP::TCPIP(INT_U16 connections, INT_U16 server_groups, INT_U16 datagram_groups,
             INT_U16 size) {
  if (size == 0) report_fatal_error(0x0A, nullptr);
  buffer_size = size;
  state = static_cast<TCPIP_STATE*>(calloc(1, sizeof(TCPIP_STATE)));
  if (!state) report_fatal_error(0x0B, nullptr);
  state->connections = static_cast<TCPIP_CONNECTION*>(calloc(connections ? connections : 1, sizeof(TCPIP_CONNECTION)));
  state->server_groups = static_cast<TCPIP_GROUP*>(calloc(server_groups ? server_groups : 1, sizeof(TCPIP_GROUP)));
  state->datagram_groups = static_cast<TCPIP_GROUP*>(calloc(datagram_groups ? datagram_groups : 1, sizeof(TCPIP_GROUP)));
  if (!state->connections || !state->server_groups || !state->datagram_groups)
    report_fatal_error(0x0B, nullptr);
  state->connection_count = connections;
  state->server_group_count = server_groups;
  state->datagram_group_count = datagram_groups;
  for (INT_U16 i = 0; i < connections; i++) {
    state->connections[i].socket = -1;
    state->connections[i].receive_buffer = static_cast<INT_U8*>(malloc(size));
    if (!state->connections[i].receive_buffer) report_fatal_error(0x0B, nullptr);
  }
}

TCPIP::~TCPIP() {
  close_connection(this, -1);
  close_server_groups(this, 0);
  close_datagram_groups(this, 0);
  for (INT_U16 i = 0; i < state->connection_count; i++) free(state->connections[i].receive_buffer);
  free(state->connections);
  free(state->server_groups);
  free(state->datagram_groups);
  free(state);
}

bool init_sockets() { return true; }

bool is_connection_open(TCPIP* tcpip, INT_S16 index) {
  return open_connection_at(tcpip, index) != nullptr;
}

// --- Single sockets ----------------------------------------------------------

bool open_socket(TCPIP* tcpip, INT_S32* socket_out, INT_U32 kind, const char* address,
                 INT_U16 port) {
  if (!socket_out) return false;
  *socket_out = -1;
  const int size = tcpip ? static_cast<int>(tcpip->buffer_size) : 0;
  struct sockaddr_in where;
  memset(&where, 0, sizeof where);
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  where.sin_addr.s_addr = kind == SOCKET_TCP_CLIENT ? resolve_address(address) : 0;
  // A client address that does not resolve reads as 0.0.0.0, which Linux
  // takes for this host: fail instead of reaching a local server.
  if (kind == SOCKET_TCP_CLIENT && where.sin_addr.s_addr == 0) return false;

  const bool udp = kind == SOCKET_UDP_BROADCAST;
  int fd = socket(AF_INET, (udp ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, udp ? IPPROTO_UDP : 0);
  if (fd < 0) return false;
  *socket_out = fd;
  // Streams may take over a port left in TIME_WAIT; datagrams are broadcast.
  int on = 1;
  bool ok = setsockopt(fd, SOL_SOCKET, udp ? SO_BROADCAST : SO_REUSEADDR, &on, sizeof on) == 0;
  if (ok && kind == SOCKET_TCP_CLIENT)
    ok = connect(fd, reinterpret_cast<struct sockaddr*>(&where), sizeof where) == 0;
  if (ok) {
    set_non_blocking(fd);
    set_linger(fd, udp ? 1 : 0);
    if (!udp) set_option(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    if (size) {
      set_option(fd, SOL_SOCKET, SO_SNDBUF, size);
      set_option(fd, SOL_SOCKET, SO_RCVBUF, size);
    }
    if (kind != SOCKET_TCP_CLIENT) {
      const int backlog = tcpip && tcpip->state ? tcpip->state->connection_count : 1;
      ok = bind(fd, reinterpret_cast<struct sockaddr*>(&where), sizeof where) == 0 &&
           (udp || listen(fd, backlog) == 0);
    }
  }
  if (!ok) close_socket(socket_out);
  return ok;
}

void close_socket(INT_S32* socket) {
  if (!socket || *socket == -1) return;
  shutdown(*socket, SHUT_RDWR);
  close(*socket);
  *socket = -1;
}

// --- Connections -------------------------------------------------------------

INT_S32 connect_to(TCPIP* tcpip, const char* address, INT_U16 port) {
  if (!tcpip || !tcpip->state) return -1;
  const INT_S16 i = free_connection(tcpip->state);
  INT_S32 fd;
  if (i < 0 || !open_socket(tcpip, &fd, SOCKET_TCP_CLIENT, address, port)) return -1;
  start_connection(tcpip->state->connections[i], fd);
  return i;
}

bool accept_connection(TCPIP* tcpip, INT_S16* index, INT_U16* port) {
  if (index) *index = -1;
  if (port) *port = 0;
  if (!tcpip || !tcpip->state) return false;
  TCPIP_STATE* s = tcpip->state;
  for (INT_U16 g = 0; g < s->server_group_count; g++) {
    TCPIP_GROUP& group = s->server_groups[g];
    for (INT_S16 k = 0; group.sockets && k < group.socket_count; k++) {
      if (group.sockets[k] == -1) continue;
      int fd = accept4(group.sockets[k], nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) continue;
      const INT_S16 free_index = free_connection(s);
      if (free_index < 0) {
        INT_S32 refused = fd;
        close_socket(&refused);
        continue;
      }
      start_connection(s->connections[free_index], fd);
      if (index) *index = free_index;
      if (port) *port = group.port;
      return true;
    }
  }
  return false;
}

INT_S32 receive(TCPIP* tcpip, INT_S16 index, INT_U8* buffer, INT_S32 length) {
  TCPIP_CONNECTION* c = open_connection_at(tcpip, index);
  if (!c || !buffer || length <= 0) return -1;
  ssize_t got = recv(c->socket, buffer, static_cast<size_t>(length), MSG_NOSIGNAL);
  if (got < 0 && would_block()) return 0;
  if (got <= 0) {
    close_socket(&c->socket);
    return -2;
  }
  frame_activity = 1;
  return static_cast<INT_S32>(got);
}

INT_S32 receive_message(TCPIP* tcpip, INT_S16 index, INT_U8* buffer, INT_S32 size) {
  TCPIP_CONNECTION* c = open_connection_at(tcpip, index);
  if (!c || !buffer || size <= 0) return -1;
  const INT_U32 wanted = static_cast<INT_U32>(size) < tcpip->buffer_size
                             ? static_cast<INT_U32>(size) : tcpip->buffer_size;
  if (c->receive_fill < wanted) {
    ssize_t got = recv(c->socket, c->receive_buffer + c->receive_fill, wanted - c->receive_fill,
                       MSG_NOSIGNAL);
    if (got < 0 && would_block()) got = 0;
    else if (got <= 0) {
      close_socket(&c->socket);
      return -2;
    }
    if (got > 0) frame_activity = 1;
    c->receive_fill = static_cast<INT_U16>(c->receive_fill + got);
  }
  if (c->receive_fill < wanted) return 0;
  memcpy(buffer, c->receive_buffer, wanted);
  c->receive_fill = 0;
  return static_cast<INT_S32>(wanted);
}

INT_S32 send_now(TCPIP* tcpip, INT_S16 index, const void* data, INT_S32 length) {
  TCPIP_CONNECTION* c = open_connection_at(tcpip, index);
  if (!c || !data || length < 0) return -1;
  ssize_t sent = send(c->socket, data, static_cast<size_t>(length), MSG_NOSIGNAL);
  if (sent < 0 && !would_block()) {
    close_socket(&c->socket);
    return -2;
  }
  frame_activity = 1;
  return sent < 0 ? 0 : static_cast<INT_S32>(sent);
}

INT_S32 send_all(TCPIP* tcpip, INT_S16 index, const INT_U8* data, INT_S32 length) {
  TCPIP_CONNECTION* c = open_connection_at(tcpip, index);
  if (!c || !data || length < 0) return -1;
  INT_S32 done = 0;
  while (done < length) {
    ssize_t sent = send(c->socket, data + done, static_cast<size_t>(length - done), MSG_NOSIGNAL);
    if (sent > 0) {
      done += static_cast<INT_S32>(sent);
      continue;
    }
    if (sent < 0 && would_block()) {
      // Wait for room rather than spin; a peer that takes nothing for a long
      // time counts as a failed connection.
      struct pollfd p = {c->socket, POLLOUT, 0};
      if (poll(&p, 1, kSendStallMs) > 0) continue;
    } else if (sent < 0 && errno == EINTR) {
      continue;
    }
    close_socket(&c->socket);
    return -2;
  }
  frame_activity = 1;
  return length;
}

void queue_send(TCPIP* tcpip, INT_S16 index, const void* data, INT_S32 length) {
  TCPIP_CONNECTION* c = open_connection_at(tcpip, index);
  if (!c || !data || length < 1) return;
  if (c->send_length > 0x7FFFFFFFu - static_cast<INT_U32>(length)) return;
  INT_U8* grown = static_cast<INT_U8*>(realloc(c->send_queue, c->send_length + length));
  if (!grown) return;
  memcpy(grown + c->send_length, data, static_cast<size_t>(length));
  c->send_queue = grown;
  c->send_length += static_cast<INT_U32>(length);
}

void flush_send_queues(TCPIP* tcpip) {
  if (!tcpip || !tcpip->state) return;
  for (INT_U16 i = 0; i < tcpip->state->connection_count && i <= 0x7FFF; i++) {
    TCPIP_CONNECTION& c = tcpip->state->connections[i];
    if (c.socket == -1 || !c.send_queue || c.send_length == 0) continue;
    // A connection holds at most 32,767 queued bytes.
    if (c.send_length > 0x7FFF) {
      close_connection(tcpip, static_cast<INT_S16>(i));
      continue;
    }
    ssize_t sent = send(c.socket, c.send_queue, c.send_length, MSG_NOSIGNAL);
    if (sent < 0 && !would_block()) {
      close_connection(tcpip, static_cast<INT_S16>(i));
      continue;
    }
    frame_activity = 1;
    if (sent > 0) {
      c.send_length -= static_cast<INT_U32>(sent);
      memmove(c.send_queue, c.send_queue + sent, c.send_length);
    }
  }
}

void close_connection(TCPIP* tcpip, INT_S16 index) {
  if (!tcpip || !tcpip->state) return;
  if (index == -1) {
    for (INT_U16 i = 0; i < tcpip->state->connection_count && i <= 0x7FFF; i++)
      close_connection(tcpip, static_cast<INT_S16>(i));
    return;
  }
  TCPIP_CONNECTION* c = connection_at(tcpip, index);
  if (!c) return;
  close_socket(&c->socket);
  free(c->send_queue);
  c->send_queue = nullptr;
  c->send_length = 0;
}

const char* get_peer_address_text(TCPIP* tcpip, INT_S16 index) {
  peer_buffer[0] = '\0';
  TCPIP_CONNECTION* c = open_connection_at(tcpip, index);
  if (!c) return peer_buffer;
  struct sockaddr_in peer;
  socklen_t size = sizeof peer;
  if (getpeername(c->socket, reinterpret_cast<struct sockaddr*>(&peer), &size) == 0) {
    char dotted[20];
    format_into(dotted, sizeof dotted, peer.sin_addr.s_addr);
    snprintf(peer_buffer, sizeof peer_buffer, "%s:%d", dotted, ntohs(peer.sin_port));
  }
  return peer_buffer;
}

// --- Groups ------------------------------------------------------------------

bool open_server_group(TCPIP* tcpip, INT_U16 port) {
  if (!tcpip || !tcpip->state) return false;
  TCPIP_GROUP* group = free_group(tcpip->state->server_groups, tcpip->state->server_group_count);
  if (!group) return false;
  // The interface list, walked by the size of the platform's own record.
  int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  char buffer[1024];
  struct ifconf list;
  list.ifc_len = sizeof buffer;
  list.ifc_buf = buffer;
  int listed = ioctl(probe, SIOCGIFCONF, &list);
  close(probe);
  if (listed < 0) return false;
  const INT_S16 count = static_cast<INT_S16>(list.ifc_len / static_cast<int>(sizeof(struct ifreq)));
  if (count <= 0) return false;
  INT_S32* sockets = new_socket_array(count);
  if (!sockets) return false;
  group->sockets = sockets;
  group->socket_count = count;
  group->port = port;
  bool any = false;
  for (INT_S16 i = 0; i < count; i++) {
    // Each socket binds to any address, so the interface's own is not used.
    any |= open_socket(tcpip, &sockets[i], SOCKET_TCP_SERVER, nullptr, port);
  }
  if (any) frame_activity = 1;
  return any;
}

bool open_datagram_group(TCPIP* tcpip, INT_U16 port) {
  if (!tcpip || !tcpip->state) return false;
  char host[256];
  if (gethostname(host, sizeof host) != 0) return false;
  host[sizeof host - 1] = '\0';
  TCPIP_GROUP* group = free_group(tcpip->state->datagram_groups,
                                  tcpip->state->datagram_group_count);
  if (!group) return false;
  struct addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  struct addrinfo* result = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &result) != 0 || !result) return false;
  INT_S16 count = 0;
  for (struct addrinfo* a = result; a && count < 0x7FFF; a = a->ai_next) count++;
  freeaddrinfo(result);
  INT_S32* sockets = new_socket_array(count);
  if (!sockets) return false;
  group->sockets = sockets;
  group->socket_count = count;
  group->port = port;
  bool any = false;
  for (INT_S16 i = 0; i < count; i++)
    any |= open_socket(tcpip, &sockets[i], SOCKET_UDP_BROADCAST, nullptr, port);
  if (any) frame_activity = 1;
  return any;
}

void close_server_groups(TCPIP* tcpip, INT_U16 port) {
  if (!tcpip || !tcpip->state) return;
  for (INT_U16 i = 0; i < tcpip->state->server_group_count; i++)
    if (port == 0 || tcpip->state->server_groups[i].port == port)
      close_group(&tcpip->state->server_groups[i]);
}

void close_datagram_groups(TCPIP* tcpip, INT_U16 port) {
  if (!tcpip || !tcpip->state) return;
  for (INT_U16 i = 0; i < tcpip->state->datagram_group_count; i++)
    if (port == 0 || tcpip->state->datagram_groups[i].port == port)
      close_group(&tcpip->state->datagram_groups[i]);
}

INT_U32 datagram_destination(const char* address) {
  if (!address || !*address) return 0xFFFFFFFFu;
  return resolve_address(address);
}

void send_datagram(TCPIP* tcpip, INT_U16 group_port, const void* data, INT_S32 length,
                   const char* address, INT_U16 port) {
  if (!tcpip || !tcpip->state || !data || length < 0) return;
  struct sockaddr_in to;
  memset(&to, 0, sizeof to);
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = datagram_destination(address);
  // An address that does not resolve would read as 0.0.0.0, this host.
  if (to.sin_addr.s_addr == 0) return;
  for (INT_U16 g = 0; g < tcpip->state->datagram_group_count; g++) {
    TCPIP_GROUP& group = tcpip->state->datagram_groups[g];
    if (!group.sockets || group.port != group_port) continue;
    for (INT_S16 k = 0; k < group.socket_count; k++)
      if (group.sockets[k] != -1)
        sendto(group.sockets[k], data, static_cast<size_t>(length), MSG_NOSIGNAL,
               reinterpret_cast<struct sockaddr*>(&to), sizeof to);
  }
  frame_activity = 1;
}

INT_S32 receive_datagram(TCPIP* tcpip, INT_U8* buffer, INT_S32 length, char** from_address,
                         INT_U16* from_port, INT_U16* group_port) {
  if (!tcpip || !tcpip->state || !buffer || length <= 0) return 0;
  for (INT_U16 g = 0; g < tcpip->state->datagram_group_count; g++) {
    TCPIP_GROUP& group = tcpip->state->datagram_groups[g];
    for (INT_S16 k = 0; group.sockets && k < group.socket_count; k++) {
      if (group.sockets[k] == -1) continue;
      struct sockaddr_in from;
      socklen_t size = sizeof from;
      ssize_t got = recvfrom(group.sockets[k], buffer, static_cast<size_t>(length), 0,
                             reinterpret_cast<struct sockaddr*>(&from), &size);
      if (got <= 0) continue;
      format_into(sender_buffer, sizeof sender_buffer, from.sin_addr.s_addr);
      if (from_address) *from_address = sender_buffer;
      if (from_port) *from_port = ntohs(from.sin_port);
      if (group_port) *group_port = group.port;
      frame_activity = 1;
      return static_cast<INT_S32>(got);
    }
  }
  return 0;
}

// --- Names and addresses -----------------------------------------------------

INT_U32 resolve_address(const char* text) {
  if (!text || !*text) return 0;
  INT_U8 bytes[4];
  INT_U32 address = 0;
  if (parse_dotted_quad(text, bytes)) {
    memcpy(&address, bytes, 4);
    return address;
  }
  return lookup_ipv4(text, &address) ? address : 0;
}

bool is_address_resolvable(const char* text) {
  INT_U32 address = resolve_address(text);
  if (address == 0) return false;
  struct sockaddr_in where;
  memset(&where, 0, sizeof where);
  where.sin_family = AF_INET;
  where.sin_addr.s_addr = address;
  char name[NI_MAXHOST];
  return getnameinfo(reinterpret_cast<struct sockaddr*>(&where), sizeof where, name, sizeof name,
                     nullptr, 0, NI_NAMEREQD) == 0;
}

const char* format_ip_address(INT_U32 address) {
  format_into(dotted_buffer, sizeof dotted_buffer, address);
  return dotted_buffer;
}

const char* get_host_name() {
  if (gethostname(host_name_buffer, sizeof host_name_buffer) != 0) host_name_buffer[0] = '\0';
  host_name_buffer[sizeof host_name_buffer - 1] = '\0';
  return host_name_buffer;
}

const char* get_host_address_text(const char* name) {
  host_address_buffer[0] = '\0';
  INT_U32 address;
  if (name && *name && lookup_ipv4(name, &address))
    format_into(host_address_buffer, sizeof host_address_buffer, address);
  return host_address_buffer;
}

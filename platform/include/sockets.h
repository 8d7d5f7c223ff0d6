// The socket manager: a table of non-blocking TCP connections, groups of
// listening TCP sockets (one per interface, one port) and groups of UDP
// broadcast sockets (one per host address, one port), polled once a frame.
#ifndef ZORV_SOCKETS_H
#define ZORV_SOCKETS_H

#include "zorv_types.h"

struct TCPIP_CONNECTION {
  INT_S32 socket;  // -1 = free
  INT_U8* receive_buffer;
  INT_U16 receive_fill;
  INT_U8* send_queue;  // null = empty
  INT_U32 send_length;
};

struct TCPIP_GROUP {
  INT_S32* sockets;  // null = free entry
  INT_S16 socket_count;
  INT_U16 port;
};

struct TCPIP_STATE {
  TCPIP_GROUP* server_groups;
  INT_U16 server_group_count;
  TCPIP_GROUP* datagram_groups;
  INT_U16 datagram_group_count;
  TCPIP_CONNECTION* connections;
  INT_U16 connection_count;
};

class TCPIP {
 public:
  TCPIP_STATE* state;
  INT_U32 buffer_size;  // receive buffer of each connection; socket buffer sizes
  // A buffer size of 0 and a failed allocation are fatal errors.
  TCPIP(INT_U16 connections, INT_U16 server_groups, INT_U16 datagram_groups, INT_U16 buffer_size);
  ~TCPIP();
  TCPIP(const TCPIP&) = delete;
  TCPIP& operator=(const TCPIP&) = delete;
};

// Socket kinds of open_socket.
enum { SOCKET_TCP_CLIENT = 0, SOCKET_UDP_BROADCAST = 1, SOCKET_TCP_SERVER = 2 };

bool init_sockets();
bool is_connection_open(TCPIP* tcpip, INT_S16 index);
// The index of the new connection, or -1.
INT_S32 connect_to(TCPIP* tcpip, const char* address, INT_U16 port);
bool accept_connection(TCPIP* tcpip, INT_S16* index, INT_U16* port);
// Bytes read; 0 nothing waiting; -2 the connection closed; -1 bad arguments.
INT_S32 receive(TCPIP* tcpip, INT_S16 index, INT_U8* buffer, INT_S32 length);
// size bytes once that many have arrived, else 0; -2 closed; -1 bad arguments.
INT_S32 receive_message(TCPIP* tcpip, INT_S16 index, INT_U8* buffer, INT_S32 size);
INT_S32 send_now(TCPIP* tcpip, INT_S16 index, const void* data, INT_S32 length);
INT_S32 send_all(TCPIP* tcpip, INT_S16 index, const INT_U8* data, INT_S32 length);
void queue_send(TCPIP* tcpip, INT_S16 index, const void* data, INT_S32 length);
void flush_send_queues(TCPIP* tcpip);
void close_connection(TCPIP* tcpip, INT_S16 index);  // -1: all
bool open_server_group(TCPIP* tcpip, INT_U16 port);
void close_server_groups(TCPIP* tcpip, INT_U16 port);  // 0: all
bool open_datagram_group(TCPIP* tcpip, INT_U16 port);
void close_datagram_groups(TCPIP* tcpip, INT_U16 port);  // 0: all
// Null or empty address: the broadcast address.
void send_datagram(TCPIP* tcpip, INT_U16 group_port, const void* data, INT_S32 length,
                   const char* address, INT_U16 port);
INT_S32 receive_datagram(TCPIP* tcpip, INT_U8* buffer, INT_S32 length, char** from_address,
                         INT_U16* from_port, INT_U16* group_port);
const char* get_peer_address_text(TCPIP* tcpip, INT_S16 index);
bool open_socket(TCPIP* tcpip, INT_S32* socket, INT_U32 kind, const char* address, INT_U16 port);
void close_socket(INT_S32* socket);

// The IPv4 address in network order; 0 when the text does not resolve.
INT_U32 resolve_address(const char* text);
bool is_address_resolvable(const char* text);
const char* format_ip_address(INT_U32 address);
const char* get_host_name();
const char* get_host_address_text(const char* name);
// Where send_datagram sends: the address, or all bits set for null or "".
// 0 when the address does not resolve (nothing is sent then).
INT_U32 datagram_destination(const char* address);

#endif

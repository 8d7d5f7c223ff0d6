#include "events.h"

#include <new>

namespace {

struct QUEUE_ENTRY {
  EVENT* event;
  INT_U8 owned;
};

// A delivery under way walks the client list with its own position, so that
// a handler that destroys a client (itself included) or starts a nested
// delivery never leaves a walk on a freed node. It ends at the client that
// was last when it began: clients registered meanwhile wait for the next
// event.
struct DELIVERY {
  LIST_NODE* next;
  LIST_NODE* last;
  DELIVERY* outer;
};
DELIVERY* deliveries = nullptr;
bool dispatching = false;

void deliver_to_clients(EVENT* event) {
  PTRLLIST& clients = event_client_list();
  DELIVERY walk{clients.head, clients.tail, deliveries};
  deliveries = &walk;
  while (walk.next) {
    LIST_NODE* node = walk.next;
    walk.next = node == walk.last ? nullptr : node->next;
    auto* client = static_cast<EVENT_CLIENT*>(PTRLLIST::stored_pointer(node));
    if (client) client->handle_event(event);
  }
  deliveries = walk.outer;
}

void finish(EVENT* event, INT_U8 owned) {
  if (!owned || !event) return;
  if (event->cleanup) event->cleanup(event, event->user_value);
  delete event;
}

}  // namespace

PTRLLIST& event_client_list() {
  static PTRLLIST list;
  return list;
}

PTRLLIST& event_queue() {
  static PTRLLIST queue;
  return queue;
}

EVENT_CLIENT::EVENT_CLIENT() {
  PTRLLIST& clients = event_client_list();
  clients.cursor = nullptr;
  clients.insert(this);
}

EVENT_CLIENT::~EVENT_CLIENT() {
  PTRLLIST& clients = event_client_list();
  for (LIST_NODE* n = clients.head; n; n = n->next) {
    if (PTRLLIST::stored_pointer(n) != this) continue;
    for (DELIVERY* d = deliveries; d; d = d->outer) {
      if (d->next == n) d->next = n == d->last ? nullptr : n->next;
      if (d->last == n) d->last = n->previous;
    }
    clients.remove_node(n);
    break;
  }
}

void deliver_event(EVENT* event, INT_U8 owned) {
  deliver_to_clients(event);
  finish(event, owned);
}

void post_event(EVENT* event, INT_U8 owned) {
  auto* entry = new (std::nothrow) QUEUE_ENTRY{event, owned};
  PTRLLIST& queue = event_queue();
  queue.cursor = nullptr;
  if (!entry || !queue.insert(entry)) {
    delete entry;
    deliver_event(event, owned);
  }
}

void dispatch_events() {
  if (dispatching) return;
  dispatching = true;
  PTRLLIST& queue = event_queue();
  // Only the entries queued now; anything posted while they are delivered
  // is appended behind them and waits for the next frame.
  INT_S32 pending = queue.count;
  while (pending > 0 && queue.head) {
    LIST_NODE* node = queue.head;
    auto* entry = static_cast<QUEUE_ENTRY*>(PTRLLIST::stored_pointer(node));
    queue.remove_node(node);
    --pending;
    if (!entry) continue;
    deliver_event(entry->event, entry->owned);
    delete entry;
  }
  dispatching = false;
}

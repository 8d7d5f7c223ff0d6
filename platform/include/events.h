// The application's event queue: clients derived from EVENT_CLIENT receive
// every event, in registration order; posted events are delivered by the
// frame pump, once per frame, in posting order.
#ifndef ZORV_EVENTS_H
#define ZORV_EVENTS_H

#include "lists.h"
#include "zorv_types.h"

struct EVENT;
typedef void (*EVENT_CLEANUP)(EVENT* event, INT_WORD user_value);

// Created with new by the poster. Receivers may use larger records derived
// from it; the destructor is virtual so that an owned event of a derived
// type is deleted whole.
struct EVENT {
  INT_U32 kind = 0;            // for the receivers; the queue does not read it
  INT_WORD user_value = 0;     // handed to the cleanup callback
  EVENT_CLEANUP cleanup = nullptr;  // called before an owned event is deleted
  virtual ~EVENT() = default;
};

class EVENT_CLIENT {
 public:
  EVENT_CLIENT();           // registers at the end of the client list
  virtual ~EVENT_CLIENT();  // unregisters; never called again afterwards
  EVENT_CLIENT(const EVENT_CLIENT&) = delete;
  EVENT_CLIENT& operator=(const EVENT_CLIENT&) = delete;
  virtual void handle_event(EVENT* event) = 0;
};

// Queues the event for the next drain; owned: the queue cleans it up and
// deletes it after delivery. Without memory for the entry it is delivered at
// once.
void post_event(EVENT* event, INT_U8 owned);
// Delivers the event to every client now (then cleans up an owned event).
void deliver_event(EVENT* event, INT_U8 owned);
// Delivers the events queued when the call began; events posted meanwhile
// wait for the next call. A call made from inside a delivery does nothing.
void dispatch_events();

// The registered clients (EVENT_CLIENT*) and the queue entries, oldest first.
PTRLLIST& event_client_list();
PTRLLIST& event_queue();

#endif

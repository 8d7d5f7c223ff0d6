// Doubly linked lists of copied items or of pointers, and a growable array of
// pointers. A list walks with a cursor kept in the list itself: set `cursor`
// to `head` (or `tail`) and call next() (or previous()) until it answers null.
#ifndef ZORV_LISTS_H
#define ZORV_LISTS_H

#include "zorv_types.h"

// Called for an item that leaves a list or an array; it releases what the item
// refers to (the list frees its own copy of the item afterwards).
typedef void (*ITEM_DELETER)(void* item);

struct LIST_NODE {
  INT_U8* data = nullptr;  // private copy of the item; null for an empty item
  LIST_NODE* next = nullptr;
  LIST_NODE* previous = nullptr;

  LIST_NODE(const void* item, INT_S16 size);
  ~LIST_NODE();
  LIST_NODE(const LIST_NODE&) = delete;
  LIST_NODE& operator=(const LIST_NODE&) = delete;
};

class LLIST {
 public:
  INT_S32 count = 0;
  LIST_NODE* head = nullptr;
  LIST_NODE* tail = nullptr;
  LIST_NODE* cursor = nullptr;  // node the next walking step returns
  ITEM_DELETER deleter = nullptr;

  LLIST() = default;
  virtual ~LLIST();
  LLIST(const LLIST&) = delete;
  LLIST& operator=(const LLIST&) = delete;

  // The item at the cursor (its copy), moving the cursor on; null at the end.
  virtual void* next(LIST_NODE** node = nullptr);
  virtual void* previous(LIST_NODE** node = nullptr);
  // Unlinks the first node whose copy is at `data` (as handed out by next()).
  virtual bool remove(const void* data);
  // Inserts a copy of `size` bytes of the item before the cursor node, or at
  // the end when no walk is under way. False for a negative size or no memory.
  virtual bool insert(const void* item, INT_S16 size);
  // Hands the node's item to the deleter, when one is set.
  virtual void delete_item(LIST_NODE* node);

  bool remove_node(LIST_NODE* node);
  void clear();

 protected:
  void unlink(LIST_NODE* node);
  void clear_with(void (*release)(LLIST*, LIST_NODE*));
};

// A list of pointers: each node keeps a copy of the pointer value, and the
// items callers see are those pointers.
class PTRLLIST : public LLIST {
 public:
  PTRLLIST() = default;
  ~PTRLLIST() override;

  void* next(LIST_NODE** node = nullptr) override;
  void* previous(LIST_NODE** node = nullptr) override;
  // Unlinks the first node that holds this pointer.
  bool remove(const void* pointer) override;
  // Stores the pointer itself; the size is ignored.
  bool insert(const void* pointer, INT_S16 size = 0) override;
  void delete_item(LIST_NODE* node) override;

  // The pointer kept in a node (null for a node without data).
  static void* stored_pointer(const LIST_NODE* node);
};

// Compares a and b (for find: the key and an element); only the low 16 bits
// of the result count, as a signed value. Comparators written for this
// library answer -1, 0 or 1.
typedef INT_S32 (*PTRARRAY_COMPARATOR)(const void* a, const void* b, INT_WORD extra);

class PTRARRAY {
 public:
  void** items = nullptr;
  INT_S32 capacity = 0;
  INT_S32 count = 0;
  INT_S16 grow_step = 10;         // slots added when a full array grows
  INT_S32 initial_capacity = 0;   // first allocation, when larger than the step
  ITEM_DELETER deleter = nullptr;

  PTRARRAY() = default;
  virtual ~PTRARRAY();  // frees the storage; elements are the owner's (free_all)
  PTRARRAY(const PTRARRAY&) = delete;
  PTRARRAY& operator=(const PTRARRAY&) = delete;

  virtual void destroy_element(INT_S32 index);

  bool add(void* element);
  bool remove_at(INT_S32 index);
  bool remove_at_unordered(INT_S32 index);
  void remove_all();
  void free_all();
  // Binary search of a sorted array: index of a matching element, or -1.
  INT_S32 find(const void* key, PTRARRAY_COMPARATOR compare, INT_WORD extra) const;
  void sort(PTRARRAY_COMPARATOR compare, INT_WORD extra);
};

#endif

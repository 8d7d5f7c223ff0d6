#include "lists.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

LIST_NODE::LIST_NODE(const void* item, INT_S16 size) {
  if (size > 0 && item) {
    data = new (std::nothrow) INT_U8[static_cast<size_t>(size)];
    if (data) std::memcpy(data, item, static_cast<size_t>(size));
  }
}

LIST_NODE::~LIST_NODE() { delete[] data; }

// --- LLIST ---

LLIST::~LLIST() { clear(); }

void* LLIST::next(LIST_NODE** node) {
  if (!cursor) return nullptr;
  LIST_NODE* n = cursor;
  if (node) *node = n;
  cursor = n->next;
  return n->data;
}

void* LLIST::previous(LIST_NODE** node) {
  if (!cursor) return nullptr;
  LIST_NODE* n = cursor;
  if (node) *node = n;
  cursor = n->previous;
  return n->data;
}

bool LLIST::insert(const void* item, INT_S16 size) {
  if (size < 0 || (size > 0 && !item)) return false;
  LIST_NODE* n = new (std::nothrow) LIST_NODE(item, size);
  if (!n) return false;
  if (size > 0 && !n->data) {
    delete n;
    return false;
  }
  if (!head) {
    head = tail = n;
  } else if (cursor) {
    n->next = cursor;
    n->previous = cursor->previous;
    if (cursor->previous) cursor->previous->next = n;
    else head = n;
    cursor->previous = n;
  } else {
    n->previous = tail;
    tail->next = n;
    tail = n;
  }
  ++count;
  return true;
}

void LLIST::unlink(LIST_NODE* node) {
  if (node == head) head = node->next;
  else node->previous->next = node->next;
  if (node == tail) tail = node->previous;
  else node->next->previous = node->previous;
  if (cursor == node) cursor = nullptr;
  delete_item(node);
  --count;
  delete node;
}

bool LLIST::remove(const void* data) {
  for (LIST_NODE* n = head; n; n = n->next) {
    if (n->data == data) {
      unlink(n);
      return true;
    }
  }
  return false;
}

bool LLIST::remove_node(LIST_NODE* node) {
  if (node) unlink(node);
  return true;
}

void LLIST::delete_item(LIST_NODE* node) {
  if (deleter && node) deleter(node->data);
}

void LLIST::clear_with(void (*release)(LLIST*, LIST_NODE*)) {
  // Detach the chain first, so that a deleter that looks at the list finds it
  // already empty rather than half torn down.
  LIST_NODE* n = head;
  head = tail = cursor = nullptr;
  count = 0;
  while (n) {
    LIST_NODE* following = n->next;
    release(this, n);
    delete n;
    n = following;
  }
}

void LLIST::clear() {
  clear_with([](LLIST* list, LIST_NODE* node) { list->delete_item(node); });
}

// --- PTRLLIST ---

PTRLLIST::~PTRLLIST() {
  // The base destructor would only see LLIST::delete_item; the deleter of a
  // pointer list receives the stored pointers.
  clear_with([](LLIST* list, LIST_NODE* node) { static_cast<PTRLLIST*>(list)->PTRLLIST::delete_item(node); });
}

void* PTRLLIST::stored_pointer(const LIST_NODE* node) {
  if (!node || !node->data) return nullptr;
  void* p;
  std::memcpy(&p, node->data, sizeof p);
  return p;
}

void* PTRLLIST::next(LIST_NODE** node) {
  LIST_NODE* n = nullptr;
  if (!LLIST::next(&n) && !n) return nullptr;
  if (node) *node = n;
  return stored_pointer(n);
}

void* PTRLLIST::previous(LIST_NODE** node) {
  LIST_NODE* n = nullptr;
  if (!LLIST::previous(&n) && !n) return nullptr;
  if (node) *node = n;
  return stored_pointer(n);
}

bool PTRLLIST::insert(const void* pointer, INT_S16) {
  return LLIST::insert(&pointer, static_cast<INT_S16>(sizeof pointer));
}

bool PTRLLIST::remove(const void* pointer) {
  for (LIST_NODE* n = head; n; n = n->next) {
    if (n->data && stored_pointer(n) == pointer) {
      unlink(n);
      return true;
    }
  }
  return false;
}

void PTRLLIST::delete_item(LIST_NODE* node) {
  if (deleter && node && node->data) deleter(stored_pointer(node));
}

// --- PTRARRAY ---

PTRARRAY::~PTRARRAY() { std::free(items); }

void PTRARRAY::destroy_element(INT_S32 index) {
  if (deleter) deleter(items[index]);
}

bool PTRARRAY::add(void* element) {
  if (count >= capacity) {
    INT_S32 step = grow_step < 1 ? 1 : grow_step;
    INT_S64 wanted = items ? static_cast<INT_S64>(capacity) + step
                           : capacity + static_cast<INT_S64>(std::max(step, initial_capacity));
    if (wanted > INT32_MAX / static_cast<INT_S64>(sizeof(void*))) return false;
    void** grown = static_cast<void**>(std::realloc(items, static_cast<size_t>(wanted) * sizeof(void*)));
    if (!grown) return false;
    for (INT_S64 i = capacity; i < wanted; ++i) grown[i] = nullptr;
    items = grown;
    capacity = static_cast<INT_S32>(wanted);
  }
  items[count++] = element;
  return true;
}

bool PTRARRAY::remove_at(INT_S32 index) {
  if (index < 0 || index >= count) return false;
  destroy_element(index);
  std::memmove(items + index, items + index + 1, static_cast<size_t>(count - index - 1) * sizeof(void*));
  --count;
  items[count] = nullptr;
  return true;
}

bool PTRARRAY::remove_at_unordered(INT_S32 index) {
  if (index < 0 || index >= count) return false;
  destroy_element(index);
  --count;
  items[index] = items[count];
  items[count] = nullptr;
  return true;
}

void PTRARRAY::remove_all() {
  if (deleter) {
    for (INT_S32 i = 0; i < count; ++i) destroy_element(i);
  }
  count = 0;
}

void PTRARRAY::free_all() {
  remove_all();
  std::free(items);
  items = nullptr;
  capacity = 0;
}

// Only the low 16 bits of a comparator's answer count.
static inline INT_S16 low16(INT_S32 v) { return static_cast<INT_S16>(static_cast<INT_U16>(v)); }

INT_S32 PTRARRAY::find(const void* key, PTRARRAY_COMPARATOR compare, INT_WORD extra) const {
  if (!compare || !items) return -1;
  INT_S32 lo = 0, hi = count - 1;
  while (lo <= hi) {
    INT_S32 mid = lo + (hi - lo) / 2;
    INT_S16 c = low16(compare(key, items[mid], extra));
    if (c == 0) return mid;
    if (c < 0) hi = mid - 1;
    else lo = mid + 1;
  }
  return -1;
}

void PTRARRAY::sort(PTRARRAY_COMPARATOR compare, INT_WORD extra) {
  if (!compare || count < 2) return;
  // A merge sort stays inside the array even when a comparator is not a
  // consistent order, and needs no process-wide state, so comparators may
  // themselves sort.
  std::stable_sort(items, items + count,
                   [&](void* a, void* b) { return low16(compare(a, b, extra)) < 0; });
}

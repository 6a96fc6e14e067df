// Orn_List: the growable array of untyped pointers behind every collection of
// the engine. Entries can be emptied (set to NULL) without moving the others,
// so an index stays valid for the life of the list. The list owns only its
// array, never the items.
#pragma once

#include <cstdint>

class Orn_List {
 public:
  Orn_List();
  virtual ~Orn_List();
  // A copy gets an array of its own holding the same pointers.
  Orn_List(const Orn_List& other);
  Orn_List& operator=(const Orn_List& other);

  void ReleaseItems();
  int AddItem(void* item);
  int AddItemOrNULL(void* item);
  void RemoveItem(int index);
  void* GetItem(int index) const {
    return index < 0 || index >= count ? nullptr : items[index];
  }
  void SetItem(void* item, int index);
  int GetItemCount() const { return count; }
  bool Allocate(int n);
  bool InsertItem(void* item, int index);

 protected:
  bool IncreaseRealListLength(int n);

  void** items;
  int32_t count;
  int32_t capacity;
};

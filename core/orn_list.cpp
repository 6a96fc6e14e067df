#include "orn_list.h"

#include "dll_interface.h"
#include "engine_interface.h"

#include <cstdlib>
#include <cstring>

namespace {
// Allocation failures are shown to the user when an engine is running.
void ReportListError(const char* text) {
  if (globalEngine) globalEngine->boxFunctor(text);
}
}  // namespace

Orn_List::Orn_List() : items(nullptr), count(0), capacity(0) {}

Orn_List::~Orn_List() { std::free(items); }

Orn_List::Orn_List(const Orn_List& other) : items(nullptr), count(0), capacity(0) { *this = other; }

Orn_List& Orn_List::operator=(const Orn_List& other) {
  if (this == &other) return *this;
  ReleaseItems();
  if (other.capacity > 0) {
    items = static_cast<void**>(std::calloc(static_cast<size_t>(other.capacity), sizeof(void*)));
    if (!items) {
      ReportListError("Error couldn't extend list");
      return *this;
    }
    std::memcpy(items, other.items, sizeof(void*) * static_cast<size_t>(other.count));
    count = other.count;
    capacity = other.capacity;
  }
  return *this;
}

void Orn_List::ReleaseItems() {
  std::free(items);
  items = nullptr;
  count = 0;
  capacity = 0;
}

bool Orn_List::IncreaseRealListLength(int n) {
  if (n < -1) n = -1;
  int cap = capacity < 0 ? 0 : capacity;
  double base = n == -1 ? cap : n;
  double wanted = base * 1.25 + 32.0;
  // Refuse sizes an int32 index cannot address instead of overflowing.
  if (wanted > 0x7FFFFFF0) {
    ReportListError("Error couldn't extend list");
    return false;
  }
  int newCapacity = static_cast<int>(wanted);
  void** grown = static_cast<void**>(std::calloc(static_cast<size_t>(newCapacity), sizeof(void*)));
  if (!grown) {
    ReportListError("Error couldn't extend list");
    return false;
  }
  int keep = count < newCapacity ? count : newCapacity;
  if (items && keep > 0) std::memcpy(grown, items, sizeof(void*) * static_cast<size_t>(keep));
  std::free(items);
  items = grown;
  capacity = newCapacity;
  return true;
}

int Orn_List::AddItem(void* item) {
  if (count >= capacity) IncreaseRealListLength(-1);
  if (count >= capacity) {
    ReportListError("Orn_List::AddItem Error reallist is to small!!!");
    return -1;
  }
  items[count] = item;
  return count++;
}

int Orn_List::AddItemOrNULL(void* item) {
  for (int i = 0; i < count; ++i) {
    if (!items[i]) {
      items[i] = item;
      return i;
    }
  }
  return AddItem(item);
}

void Orn_List::RemoveItem(int index) {
  if (index < 0 || index >= count) return;
  std::memmove(items + index, items + index + 1, sizeof(void*) * static_cast<size_t>(count - index - 1));
  --count;
  items[count] = nullptr;
}

void Orn_List::SetItem(void* item, int index) {
  if (index < 0) return;
  if (index >= count && !Allocate(index + 1)) return;
  items[index] = item;
}

bool Orn_List::Allocate(int n) {
  if (n < 0) return false;
  if (n >= capacity - 1) IncreaseRealListLength(n);
  if (n >= capacity) return false;
  for (int i = count; i < n; ++i) items[i] = nullptr;
  count = n;
  return true;
}

bool Orn_List::InsertItem(void* item, int index) {
  if (count + 1 >= capacity) IncreaseRealListLength(-1);
  if (count + 1 >= capacity) {
    ReportListError("Orn_List::InsertItem Error reallist is to small!!!");
    return false;
  }
  if (index < 0) return false;
  if (index > count) return AddItem(item) >= 0;
  std::memmove(items + index + 1, items + index, sizeof(void*) * static_cast<size_t>(count - index));
  items[index] = item;
  ++count;
  return true;
}

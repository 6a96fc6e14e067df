// The owned record arrays of a mesh: a raw array and the number of records it
// really holds. Every access is bounded by that length; a write inside the
// mesh's count but past the array's end grows the array first.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace mesh {

template <class T>
void Free(T*& array, int32_t& length) {
  delete[] array;
  array = nullptr;
  length = 0;
}

// Replaces the array with `n` zero records (none when n <= 0); false when the
// memory could not be had, leaving the array absent.
template <class T>
bool AllocateZero(T*& array, int32_t& length, int32_t n) {
  Free(array, length);
  if (n <= 0) return true;
  array = new (std::nothrow) T[static_cast<size_t>(n)]();
  if (!array) return false;
  length = n;
  return true;
}

// Resizes to `n` records keeping at most `keep` leading ones; the others are
// zero.
template <class T>
bool Resize(T*& array, int32_t& length, int32_t n, int32_t keep = INT32_MAX) {
  if (n <= 0) {
    Free(array, length);
    return true;
  }
  T* grown = new (std::nothrow) T[static_cast<size_t>(n)]();
  if (!grown) return false;
  if (array) std::memcpy(grown, array, sizeof(T) * static_cast<size_t>(std::max(0, std::min({length, n, keep}))));
  delete[] array;
  array = grown;
  length = n;
  return true;
}

// Replaces the array with a copy of `n` records of `source`; absent when n is
// 0 or less or there is no source. False when no array results.
template <class T>
bool CopyFrom(T*& array, int32_t& length, const T* source, int32_t n) {
  Free(array, length);
  if (n <= 0 || !source || !AllocateZero(array, length, n)) return false;
  std::memcpy(array, source, sizeof(T) * static_cast<size_t>(n));
  return true;
}

// Stores `value` at `index` when 0 <= index < count. An absent array is made
// (zero-filled, `count` records) only when `allocate` is set; a shorter array
// grows to `count` records.
template <class T>
void SetElement(T*& array, int32_t& length, int32_t count, int index, const T& value, bool allocate) {
  if (index < 0 || index >= count) return;
  if (!array && !allocate) return;
  if (index >= length && !Resize(array, length, count)) return;
  array[index] = value;
}

// The record at `index`, or the zero record when it lies outside the count
// or the array.
template <class T>
T GetElement(const T* array, int32_t length, int32_t count, unsigned long index) {
  if (!array || index >= static_cast<unsigned long>(std::max(0, std::min(count, length)))) return T{};
  return array[index];
}

}  // namespace mesh

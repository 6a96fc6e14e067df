// The table of open kernel handles. A HANDLE is the address of a
// HandleObject that the table keeps alive; lookups hand out shared owners so
// that a handle closed on one thread never frees an object another thread is
// still using.
#pragma once

#include <memory>

#include "win32/types.h"

namespace win32plat {

class HandleObject {
 public:
  enum class Kind { File, Thread, Process, FindSearch };

  explicit HandleObject(Kind kind) : kind_(kind) {}
  virtual ~HandleObject() = default;
  HandleObject(const HandleObject&) = delete;
  HandleObject& operator=(const HandleObject&) = delete;

  Kind kind() const { return kind_; }

  // Waits for the object to be signalled; objects that cannot be waited on
  // return WAIT_FAILED.
  virtual DWORD Wait(DWORD milliseconds);

 private:
  Kind kind_;
};

// Enters an object into the table and returns its handle.
HANDLE RegisterHandle(std::shared_ptr<HandleObject> object);

// The object behind an open handle, or empty when the handle is not open.
std::shared_ptr<HandleObject> LookupHandle(HANDLE handle);

// The object behind an open handle when it is of the given kind.
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle, HandleObject::Kind kind) {
  std::shared_ptr<HandleObject> object = LookupHandle(handle);
  if (!object || object->kind() != kind) return nullptr;
  return std::static_pointer_cast<T>(object);
}

// Removes a handle from the table; false when it was not open.
bool UnregisterHandle(HANDLE handle);

// Maps an errno value to the closest system error code.
DWORD ErrorFromErrno(int error);

}  // namespace win32plat

// Threads lent to channels. Orn_RunTread is the runnable whose TreadFunction is
// the thread's body (a channel derives from it); Orn_Tread is the engine-side
// handle that starts, stops and waits for one runnable.
#pragma once

#include "win32/types.h"

#include <atomic>

class EngineInterface;
class Orn_Tread;

class Orn_RunTread {
 public:
  Orn_RunTread();
  virtual ~Orn_RunTread();
  Orn_RunTread(const Orn_RunTread&) = delete;
  Orn_RunTread& operator=(const Orn_RunTread&) = delete;

  virtual void TreadFunction();
  virtual void ExitThread();
  virtual bool GetIfExitThread();
  virtual void SetTreadClass(Orn_Tread* owner);
  virtual bool GetIfTreadReady();
  virtual void SetIfTreadReady(bool ready);
  virtual bool CreateTread();
  virtual void ForceTreadClose();
  virtual bool GetIfContinueTreadCalls();
  virtual void* GetCustomPointer();
  virtual void SetCustomPointer(void* pointer);

 protected:
  void CloseHandleIfHeld();

  std::atomic<Orn_Tread*> owner;
  // Set false before the system thread starts, so a close that comes before
  // the body runs still waits for it.
  std::atomic<bool> ready;
  std::atomic<HANDLE> threadHandle;
  DWORD threadId;
  void* customPointer;
  std::atomic<bool> exitRequested;
};

class Orn_Tread {
 public:
  static constexpr DWORD kCloseTimeoutMs = 30000;
  static constexpr DWORD kClosePollMs = 10;

  Orn_Tread();
  explicit Orn_Tread(EngineInterface* engine);
  virtual ~Orn_Tread();
  Orn_Tread(const Orn_Tread&) = delete;
  Orn_Tread& operator=(const Orn_Tread&) = delete;

  virtual bool StartTread(Orn_RunTread* run);
  virtual void CloseTread();
  virtual void ExitThread();
  virtual bool GetIfTreadRunning();
  virtual bool GetIfKeepRunningTread();
  virtual int GetClassID();
  virtual void SetClassID(int id);

  // True while a started body has not returned (the handle must then outlive it).
  bool GetIfBodyRunning() const;

 protected:
  std::atomic<Orn_RunTread*> run;
  std::atomic<bool> running;
  EngineInterface* engine;
  std::atomic<bool> keepRunning;
  int32_t classID;
};

#include "orn_tread.h"

#include "dll_interface.h"
#include "engine_interface.h"
#include "messages.h"
#include "win32/errors.h"
#include "win32/thread.h"

namespace {
DWORD TreadStartRoutine(void* parameter) {
  Orn_RunTread* run = static_cast<Orn_RunTread*>(parameter);
  if (!run) return 0;
  run->SetIfTreadReady(false);
  run->TreadFunction();
  run->SetIfTreadReady(true);
  return 0;
}

// Switches the process-wide receiver off while a thread is waited for, so the
// wait's own messages stay out of the log.
class ReceiverPause {
 public:
  ReceiverPause() : receiver(debugOutPut) {
    if (receiver) receiver->SetUseDebug(false);
  }
  ~ReceiverPause() {
    if (receiver) receiver->SetUseDebug(true);
  }

 private:
  DebugOutPut* receiver;
};
}  // namespace

Orn_RunTread::Orn_RunTread()
    : owner(nullptr), ready(true), threadHandle(nullptr), threadId(0), customPointer(nullptr), exitRequested(false) {}

Orn_RunTread::~Orn_RunTread() { CloseHandleIfHeld(); }

void Orn_RunTread::CloseHandleIfHeld() {
  HANDLE handle = threadHandle.exchange(nullptr);
  if (handle) CloseHandle(handle);
}

void Orn_RunTread::TreadFunction() {}
void Orn_RunTread::ExitThread() { exitRequested = true; }
bool Orn_RunTread::GetIfExitThread() { return exitRequested; }
void Orn_RunTread::SetTreadClass(Orn_Tread* tread) { owner = tread; }
bool Orn_RunTread::GetIfTreadReady() { return ready; }

void Orn_RunTread::SetIfTreadReady(bool value) {
  // Becoming ready hands the runnable over: the engine may delete it as soon
  // as it sees the flag, so the handle is closed first and the flag set last.
  if (value) {
    CloseHandleIfHeld();
    ready = true;
  } else {
    ready = false;
    CloseHandleIfHeld();
  }
}

bool Orn_RunTread::CreateTread() {
  if (!owner) return false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    ready = false;
    DWORD id = 0;
    HANDLE handle = CreateThread(nullptr, 0, TreadStartRoutine, this, 0, &id);
    if (handle) {
      threadId = id;
      // The body may already have finished and released nothing (no handle was
      // stored yet); keep the handle only while the body still runs.
      if (ready) {
        CloseHandle(handle);
      } else {
        threadHandle = handle;
        if (ready) CloseHandleIfHeld();
      }
      return true;
    }
  }
  ready = true;
  if (globalEngine) globalEngine->errorFunctor("Error thread not created : ", static_cast<int>(GetLastError()));
  return false;
}

void Orn_RunTread::ForceTreadClose() {
  HANDLE handle = threadHandle.exchange(nullptr);
  if (handle) {
    TerminateThread(handle, 1);
    CloseHandle(handle);
  }
  owner = nullptr;
}

bool Orn_RunTread::GetIfContinueTreadCalls() {
  Orn_Tread* tread = owner;
  return tread ? tread->GetIfKeepRunningTread() : false;
}

void* Orn_RunTread::GetCustomPointer() { return GetIfContinueTreadCalls() ? customPointer : nullptr; }
void Orn_RunTread::SetCustomPointer(void* pointer) { customPointer = pointer; }

Orn_Tread::Orn_Tread() : Orn_Tread(globalEngine) {}

Orn_Tread::Orn_Tread(EngineInterface* engineInterface)
    : run(nullptr), running(false), engine(engineInterface), keepRunning(false), classID(-1) {}

Orn_Tread::~Orn_Tread() {
  running = false;
  keepRunning = false;
  Orn_RunTread* body = run.exchange(nullptr);
  if (!body) return;
  if (engine) {
    engine->errorFunctor("Orn_Tread::~Orn_Tread ForceTreadClose something is wrong in the thread");
    // The body may still run: it keeps its runnable, but must not reach this
    // handle any more.
    body->SetTreadClass(nullptr);
    return;
  }
  body->ForceTreadClose();
  body->SetTreadClass(nullptr);
  if (body->GetIfTreadReady()) delete body;
}

bool Orn_Tread::StartTread(Orn_RunTread* body) {
  if (!body) return false;
  run = body;
  body->SetTreadClass(this);
  running = true;
  keepRunning = true;
  if (!body->CreateTread()) {
    running = false;
    keepRunning = false;
    return false;
  }
  return true;
}

void Orn_Tread::CloseTread() {
  keepRunning = false;
  Orn_RunTread* body = run;
  if (!body) return;
  if (body->GetIfTreadReady()) {
    run = nullptr;
    delete body;
    running = false;
    if (engine && engine->ext) engine->ext->KillTread(this);
    return;
  }
  ReceiverPause pause;
  if (engine) engine->errorFunctor("Special thread wait");
  body->ExitThread();
  DWORD start = GetTickCount();
  for (;;) {
    if (body->GetIfTreadReady()) {
      if (engine) engine->errorFunctor("Waited ready now!");
      CloseTread();
      return;
    }
    if (GetTickCount() - start > kCloseTimeoutMs) {
      if (engine) engine->errorFunctor("Thread is not responding");
      return;
    }
    Sleep(kClosePollMs);
  }
}

void Orn_Tread::ExitThread() {
  Orn_RunTread* body = run;
  if (body) body->ExitThread();
}

bool Orn_Tread::GetIfTreadRunning() { return running; }
bool Orn_Tread::GetIfKeepRunningTread() { return keepRunning; }
int Orn_Tread::GetClassID() { return classID; }
void Orn_Tread::SetClassID(int id) { classID = id; }

bool Orn_Tread::GetIfBodyRunning() const {
  Orn_RunTread* body = run;
  return body && !body->GetIfTreadReady();
}

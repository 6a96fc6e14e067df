// The process-wide lock around the plug-in creation handshake. It exists while
// at least one engine object lives: the first engine creates it, the last one
// deletes it.
#pragma once

namespace HandshakeLock {
void Acquire();  // an engine object was created
void Drop();     // an engine object was deleted
void Enter();
void Leave();
}  // namespace HandshakeLock

// The component module's counts: live objects and server locks, which decide whether the library may unload.
#pragma once

namespace tirmok::automation {

void AddObject();
void RemoveObject();
void AddLock();
// Removes one lock; a call without a lock to remove changes nothing.
void RemoveLock();
// True when no object is alive and no lock is held.
bool CanUnload();

}  // namespace tirmok::automation

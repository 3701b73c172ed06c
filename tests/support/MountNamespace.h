#pragma once
// A private mount namespace for a test process, so that the mounts it makes
// (a small tmpfs, a read-only bind mount) vanish with it and no other process
// sees them. Root only; enter it in main, before any thread starts.

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

// False when the process may not have one (not root).
inline bool EnterPrivateMountNamespace()
{
    return geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

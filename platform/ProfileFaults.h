#pragma once

#include <functional>

// A seam for hardening tests: makes one step of an atomic profile write fail as if the system call had failed.

enum class ProfileWriteStep { CreateTemp, Write, Sync, Rename };

// Returns false to make the step fail (errno ENOSPC for CreateTemp and Write, EIO for Sync and Rename).
using ProfileFaultHook = std::function<bool(ProfileWriteStep)>;

// Installs the hook for the whole process; an empty hook removes it. Not thread-safe: set it between writes.
void SetProfileFaultHook(ProfileFaultHook fnHook);
// Whether the step may go ahead; when it may not, errno is set to the injected error.
[[nodiscard]] bool PassProfileFaultHook(ProfileWriteStep step);

// Installs a hook for its own lifetime.
class ScopedProfileFaultHook
{
public:
    explicit ScopedProfileFaultHook(ProfileFaultHook fnHook);
    ~ScopedProfileFaultHook();
    ScopedProfileFaultHook(const ScopedProfileFaultHook&) = delete;
    ScopedProfileFaultHook& operator=(const ScopedProfileFaultHook&) = delete;
};

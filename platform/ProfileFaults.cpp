#include "ProfileFaults.h"

#include <cerrno>
#include <utility>

namespace {

ProfileFaultHook& installedHook()
{
    static ProfileFaultHook s_fnHook;
    return s_fnHook;
}

} // namespace

void SetProfileFaultHook(ProfileFaultHook fnHook) { installedHook() = std::move(fnHook); }

bool PassProfileFaultHook(ProfileWriteStep step)
{
    const ProfileFaultHook& fnHook = installedHook();
    if (!fnHook || fnHook(step))
        return true;
    errno = step == ProfileWriteStep::CreateTemp || step == ProfileWriteStep::Write ? ENOSPC : EIO;
    return false;
}

ScopedProfileFaultHook::ScopedProfileFaultHook(ProfileFaultHook fnHook) { SetProfileFaultHook(std::move(fnHook)); }

ScopedProfileFaultHook::~ScopedProfileFaultHook() { SetProfileFaultHook({}); }

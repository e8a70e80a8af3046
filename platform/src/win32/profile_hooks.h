// A seam for tests of the profile writer: a function called after the new file's contents
// are on disk and before it replaces the old file. Returning false aborts the write there,
// which is what a crash at that moment looks like to the old file.
#pragma once

namespace platform {

using ProfileBeforeRenameHook = bool (*)(const char* temporaryPath);
void SetProfileBeforeRenameHook(ProfileBeforeRenameHook hook);

}  // namespace platform

// Shared state of the GDI implementation: the one lock every call holds, and the objects a DC
// uses when nothing else is selected.
#pragma once

#include <mutex>

#include "gdi/gdi_objects.h"

namespace platform::gdi {

std::recursive_mutex& GdiLock();
// The selected font, or null when no usable face exists at all.
Font* SelectedFont(DeviceContext* dc);
Bitmap* SelectedBitmap(DeviceContext* dc);

}  // namespace platform::gdi

// SAFE_RELEASE: releases a COM interface pointer and clears it. The engine's own helper, since
// the Windows SDK does not define one.
#pragma once

#define SAFE_RELEASE(p) do { if (p) { (p)->Release(); (p) = nullptr; } } while (0)

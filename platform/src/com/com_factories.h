// Factories of the COM classes that CoCreateInstance can create. Each is defined by the area
// that implements the class; they are weak here so that a program without that area links and
// CoCreateInstance answers REGDB_E_CLASSNOTREG for its class.
#pragma once

#include "windows.h"

namespace platform {
__attribute__((weak)) HRESULT CreateFilterGraphObject(REFIID iid, void** object);        // dshow, CLSID_FilterGraph
__attribute__((weak)) HRESULT CreateDirectPlay8ServerObject(REFIID iid, void** object);  // dplay8, CLSID_DirectPlay8Server
__attribute__((weak)) HRESULT CreateDirectPlay8ClientObject(REFIID iid, void** object);  // dplay8, CLSID_DirectPlay8Client
__attribute__((weak)) HRESULT CreateDirectPlay8AddressObject(REFIID iid, void** object); // dplay8, CLSID_DirectPlay8Address
}  // namespace platform

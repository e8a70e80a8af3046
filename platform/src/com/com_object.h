// A helper for the factories of our COM classes: make the object and hand out the interface
// asked for, leaving the caller the one reference.
#pragma once

#include "windows.h"

namespace platform {

// Makes a COM object of class T (created with one reference) and asks it for the interface.
template <class T>
HRESULT CreateComObject(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  T* made = new T();
  const HRESULT result = made->QueryInterface(iid, object);
  made->Release();
  return result;
}

}  // namespace platform

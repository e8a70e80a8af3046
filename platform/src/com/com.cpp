// COM start-up and CoCreateInstance over a small class table: the DirectShow filter graph and
// the DirectPlay 8 server, client and address objects, each made by its area's factory.
#include <atomic>

#include "com/com_factories.h"

const GUID GUID_NULL = {0x00000000, 0x0000, 0x0000, {0, 0, 0, 0, 0, 0, 0, 0}};
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

// The class identifiers, under names of our own: the areas' headers declare the public names.
constexpr GUID kFilterGraphClass = {0xe436ebb3, 0x524f, 0x11ce,
                                    {0x9f, 0x53, 0x00, 0x20, 0xaf, 0x0b, 0xa7, 0x70}};
constexpr GUID kDirectPlay8ServerClass = {0xda825e1b, 0x6830, 0x43d7,
                                          {0x83, 0x5d, 0x0b, 0x5a, 0xd8, 0x29, 0x56, 0xa2}};
constexpr GUID kDirectPlay8ClientClass = {0x743f1dc6, 0x5aba, 0x429f,
                                          {0x8b, 0xdf, 0xc5, 0x4d, 0x03, 0x25, 0x3d, 0xc2}};
constexpr GUID kDirectPlay8AddressClass = {0x934a9523, 0xa3ca, 0x4bc5,
                                           {0xad, 0xa0, 0xd6, 0xd9, 0x5d, 0x97, 0x94, 0x21}};

using Factory = HRESULT (*)(REFIID, void**);

struct ComClass {
  const GUID* clsid;
  Factory factory;  // null when the implementing area is not linked in
};

const ComClass kClasses[] = {
    {&kFilterGraphClass, platform::CreateFilterGraphObject},
    {&kDirectPlay8ServerClass, platform::CreateDirectPlay8ServerObject},
    {&kDirectPlay8ClientClass, platform::CreateDirectPlay8ClientObject},
    {&kDirectPlay8AddressClass, platform::CreateDirectPlay8AddressObject},
};

std::atomic<int> initializeCount{0};

}  // namespace

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(LPVOID, DWORD) {
  // Each successful call is matched by one CoUninitialize; later ones answer S_FALSE.
  return initializeCount.fetch_add(1) == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  int count = initializeCount.load();
  while (count > 0 && !initializeCount.compare_exchange_weak(count, count - 1)) {
  }
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD, REFIID iid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  for (const ComClass& entry : kClasses) {
    if (*entry.clsid != clsid) continue;
    if (!entry.factory) return REGDB_E_CLASSNOTREG;
    return entry.factory(iid, object);
  }
  return REGDB_E_CLASSNOTREG;
}

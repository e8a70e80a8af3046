// The DirectPlay 8 address object and the wide-text helper the transport uses for host names,
// session names and passwords.
#include "dplay8/address.h"

#include "com/com_object.h"

#include <cstring>
#include <cwchar>

namespace platform::dplay8 {

HRESULT Address::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDirectPlay8Address) return E_NOINTERFACE;
  *object = static_cast<IDirectPlay8Address*>(this);
  AddRef();
  return S_OK;
}

ULONG Address::Release() {
  const ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

HRESULT Address::Duplicate(PDIRECTPLAY8ADDRESS* newAddress) {
  if (!newAddress) return DPNERR_INVALIDPOINTER;
  auto* copy = new Address();
  copy->hasProvider = hasProvider;
  copy->provider = provider;
  copy->components = components;
  *newAddress = copy;
  return DPN_OK;
}

HRESULT Address::Clear() {
  hasProvider = false;
  provider = GUID{};
  components.clear();
  return DPN_OK;
}

HRESULT Address::GetSP(GUID* serviceProvider) {
  if (!serviceProvider) return DPNERR_INVALIDPOINTER;
  if (!hasProvider) return DPNERR_DOESNOTEXIST;
  *serviceProvider = provider;
  return DPN_OK;
}

HRESULT Address::SetSP(const GUID* serviceProvider) {
  if (!serviceProvider) return DPNERR_INVALIDPOINTER;
  // Only the TCP/IP provider is built; the others are not installed here.
  if (*serviceProvider != CLSID_DP8SP_TCPIP) return DPNERR_DOESNOTEXIST;
  hasProvider = true;
  provider = *serviceProvider;
  return DPN_OK;
}

HRESULT Address::GetNumComponents(PDWORD count) {
  if (!count) return DPNERR_INVALIDPOINTER;
  *count = static_cast<DWORD>(components.size());
  return DPN_OK;
}

const Address::Component* Address::Find(const WCHAR* name) const {
  for (const Component& component : components) {
    if (component.name == name) return &component;
  }
  return nullptr;
}

HRESULT Address::GetComponentByName(const WCHAR* name, LPVOID buffer, PDWORD bufferSize, PDWORD dataType) {
  if (!name || !bufferSize || !dataType) return DPNERR_INVALIDPOINTER;
  const Component* component = Find(name);
  if (!component) return DPNERR_DOESNOTEXIST;
  const DWORD size = static_cast<DWORD>(component->data.size());
  *dataType = component->type;
  if (!buffer || *bufferSize < size) {
    *bufferSize = size;
    return DPNERR_BUFFERTOOSMALL;
  }
  std::memcpy(buffer, component->data.data(), size);
  *bufferSize = size;
  return DPN_OK;
}

namespace {

// A wide string component must hold whole characters and end with its terminator.
bool ValidWideString(const void* data, DWORD size) {
  if (size < sizeof(WCHAR) || size % sizeof(WCHAR) != 0) return false;
  WCHAR last;
  std::memcpy(&last, static_cast<const BYTE*>(data) + size - sizeof(WCHAR), sizeof(WCHAR));
  return last == L'\0';
}

bool ValidComponent(const void* data, DWORD size, DWORD type) {
  switch (type) {
    case DPNA_DATATYPE_DWORD: return size == sizeof(DWORD);
    case DPNA_DATATYPE_GUID: return size == sizeof(GUID);
    case DPNA_DATATYPE_STRING: return ValidWideString(data, size);
    case DPNA_DATATYPE_STRING_ANSI: return size > 0 && static_cast<const char*>(data)[size - 1] == '\0';
    case DPNA_DATATYPE_BINARY: return true;
    default: return false;
  }
}

}  // namespace

HRESULT Address::AddComponent(const WCHAR* name, const void* data, DWORD dataSize, DWORD dataType) {
  if (!name || (!data && dataSize > 0)) return DPNERR_INVALIDPOINTER;
  if (!ValidComponent(data, dataSize, dataType)) return DPNERR_INVALIDPARAM;
  const auto* bytes = static_cast<const BYTE*>(data);
  std::vector<BYTE> value(bytes, bytes + dataSize);
  // Adding a component that exists replaces its value, as a second Connect on the same address does.
  for (Component& component : components) {
    if (component.name == name) {
      component.type = dataType;
      component.data = std::move(value);
      return DPN_OK;
    }
  }
  components.push_back({name, dataType, std::move(value)});
  return DPN_OK;
}

std::optional<uint16_t> Address::Port() const {
  const Component* component = Find(DPNA_KEY_PORT);
  if (!component || component->type != DPNA_DATATYPE_DWORD) return std::nullopt;
  DWORD port;
  std::memcpy(&port, component->data.data(), sizeof(port));
  if (port > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(port);
}

std::optional<std::string> Address::HostName() const {
  const Component* component = Find(DPNA_KEY_HOSTNAME);
  if (!component) return std::nullopt;
  if (component->type == DPNA_DATATYPE_STRING_ANSI)
    return std::string(reinterpret_cast<const char*>(component->data.data()));
  if (component->type != DPNA_DATATYPE_STRING) return std::nullopt;
  std::wstring wide(component->data.size() / sizeof(WCHAR), L'\0');
  std::memcpy(wide.data(), component->data.data(), wide.size() * sizeof(WCHAR));
  return WideToUtf8(wide.c_str());
}

Address* AsAddress(IDirectPlay8Address* address) { return dynamic_cast<Address*>(address); }

namespace {

void AppendUtf8(std::string& out, uint32_t code) {
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::string WideToUtf8(const WCHAR* text) {
  std::string out;
  if (!text) return out;
  for (; *text; ++text) AppendUtf8(out, static_cast<uint32_t>(*text));
  return out;
}

}  // namespace platform::dplay8

namespace platform {

HRESULT CreateDirectPlay8AddressObject(REFIID iid, void** object) {
  return CreateComObject<dplay8::Address>(iid, object);
}

}  // namespace platform

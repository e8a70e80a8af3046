// The DirectPlay 8 address object: a service provider and named, typed components. The transport
// reads a host's "hostname" and "port" from it through the helpers below.
#pragma once

#include <dplay8.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::dplay8 {

class Address final : public IDirectPlay8Address {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return ++references; }
  ULONG Release() override;

  HRESULT Duplicate(PDIRECTPLAY8ADDRESS* newAddress) override;
  HRESULT Clear() override;
  HRESULT GetSP(GUID* serviceProvider) override;
  HRESULT SetSP(const GUID* serviceProvider) override;
  HRESULT GetNumComponents(PDWORD count) override;
  HRESULT GetComponentByName(const WCHAR* name, LPVOID buffer, PDWORD bufferSize, PDWORD dataType) override;
  HRESULT AddComponent(const WCHAR* name, const void* data, DWORD dataSize, DWORD dataType) override;

  bool HasTcpIpProvider() const { return hasProvider && provider == CLSID_DP8SP_TCPIP; }
  std::optional<uint16_t> Port() const;
  // The "hostname" component as UTF-8, or nothing when it is missing or not a string.
  std::optional<std::string> HostName() const;

 private:
  struct Component {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Component* Find(const WCHAR* name) const;

  std::atomic<ULONG> references{1};
  bool hasProvider = false;
  GUID provider{};
  std::vector<Component> components;
};

// The address an object was handed, when it is one of ours (every address made by
// CoCreateInstance is); anything else is refused as an invalid address.
Address* AsAddress(IDirectPlay8Address* address);

// Wide text (UTF-32 wchar_t on this platform) as UTF-8; a null pointer gives "".
std::string WideToUtf8(const WCHAR* text);

}  // namespace platform::dplay8

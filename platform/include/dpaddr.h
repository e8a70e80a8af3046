// DirectPlay 8 addresses: the address object that names a service provider and holds the "port"
// and "hostname" components a host or a joining client is given. Implemented with the rest of
// the transport in platform/src/dplay8.
#pragma once

#include <windows.h>

#define DPNA_DATATYPE_STRING 0x00000001
#define DPNA_DATATYPE_DWORD 0x00000002
#define DPNA_DATATYPE_GUID 0x00000003
#define DPNA_DATATYPE_BINARY 0x00000004
#define DPNA_DATATYPE_STRING_ANSI 0x00000005

#define DPNA_DPNSVR_PORT 6073
#define DPNA_INDEX_INVALID 0xFFFFFFFF

#define DPNA_KEY_HOSTNAME_A "hostname"
#define DPNA_KEY_PORT_A "port"
#define DPNA_KEY_DEVICE_A "device"
#define DPNA_KEY_PROVIDER_A "provider"
#define DPNA_KEY_HOSTNAME L"hostname"
#define DPNA_KEY_PORT L"port"
#define DPNA_KEY_DEVICE L"device"
#define DPNA_KEY_PROVIDER L"provider"

DEFINE_GUID(CLSID_DirectPlay8Address, 0x934a9523, 0xa3ca, 0x4bc5, 0xad, 0xa0, 0xd6, 0xd9, 0x5d, 0x97, 0x94, 0x21);
DEFINE_GUID(IID_IDirectPlay8Address, 0x83783300, 0x4063, 0x4c8a, 0x9d, 0xb3, 0x82, 0x83, 0x0a, 0x7f, 0xeb, 0x31);

struct IDirectPlay8Address;
typedef IDirectPlay8Address* PDIRECTPLAY8ADDRESS;
typedef IDirectPlay8Address* LPDIRECTPLAY8ADDRESS;

// Only the TCP/IP provider exists; "port" is a DWORD component and "hostname" a wide string
// (its size in bytes includes the terminator). Other components are stored and read back as given.
struct IDirectPlay8Address : public IUnknown {
  virtual HRESULT Duplicate(PDIRECTPLAY8ADDRESS* newAddress) = 0;
  virtual HRESULT Clear() = 0;
  virtual HRESULT GetSP(GUID* serviceProvider) = 0;
  virtual HRESULT SetSP(const GUID* serviceProvider) = 0;
  virtual HRESULT GetNumComponents(PDWORD count) = 0;
  virtual HRESULT GetComponentByName(const WCHAR* name, LPVOID buffer, PDWORD bufferSize, PDWORD dataType) = 0;
  virtual HRESULT AddComponent(const WCHAR* name, const void* data, DWORD dataSize, DWORD dataType) = 0;
 protected:
  ~IDirectPlay8Address() = default;
};

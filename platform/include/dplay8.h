// DirectPlay 8 subset for a client/server session of two players: the server, client and
// message declarations with the SDK's names, values and layouts, and the result codes. Implemented
// on ENet in platform/src/dplay8; handlers are called on the transport's own thread.
#pragma once

#include <windows.h>
#include <dpaddr.h>

typedef HRESULT(WINAPI* PFNDPNMESSAGEHANDLER)(PVOID, DWORD, PVOID);
typedef DWORD DPNID, *PDPNID;
typedef DWORD DPNHANDLE, *PDPNHANDLE;

// ---------------------------------------------------------------------------------------------
// Message ids
#define DPN_MSGID_OFFSET 0xFFFF0000
#define DPN_MSGID_ADD_PLAYER_TO_GROUP (DPN_MSGID_OFFSET | 0x0001)
#define DPN_MSGID_APPLICATION_DESC (DPN_MSGID_OFFSET | 0x0002)
#define DPN_MSGID_ASYNC_OP_COMPLETE (DPN_MSGID_OFFSET | 0x0003)
#define DPN_MSGID_CLIENT_INFO (DPN_MSGID_OFFSET | 0x0004)
#define DPN_MSGID_CONNECT_COMPLETE (DPN_MSGID_OFFSET | 0x0005)
#define DPN_MSGID_CREATE_GROUP (DPN_MSGID_OFFSET | 0x0006)
#define DPN_MSGID_CREATE_PLAYER (DPN_MSGID_OFFSET | 0x0007)
#define DPN_MSGID_DESTROY_GROUP (DPN_MSGID_OFFSET | 0x0008)
#define DPN_MSGID_DESTROY_PLAYER (DPN_MSGID_OFFSET | 0x0009)
#define DPN_MSGID_ENUM_HOSTS_QUERY (DPN_MSGID_OFFSET | 0x000A)
#define DPN_MSGID_ENUM_HOSTS_RESPONSE (DPN_MSGID_OFFSET | 0x000B)
#define DPN_MSGID_GROUP_INFO (DPN_MSGID_OFFSET | 0x000C)
#define DPN_MSGID_HOST_MIGRATE (DPN_MSGID_OFFSET | 0x000D)
#define DPN_MSGID_INDICATE_CONNECT (DPN_MSGID_OFFSET | 0x000E)
#define DPN_MSGID_INDICATED_CONNECT_ABORTED (DPN_MSGID_OFFSET | 0x000F)
#define DPN_MSGID_PEER_INFO (DPN_MSGID_OFFSET | 0x0010)
#define DPN_MSGID_RECEIVE (DPN_MSGID_OFFSET | 0x0011)
#define DPN_MSGID_REMOVE_PLAYER_FROM_GROUP (DPN_MSGID_OFFSET | 0x0012)
#define DPN_MSGID_RETURN_BUFFER (DPN_MSGID_OFFSET | 0x0013)
#define DPN_MSGID_SEND_COMPLETE (DPN_MSGID_OFFSET | 0x0014)
#define DPN_MSGID_SERVER_INFO (DPN_MSGID_OFFSET | 0x0015)
#define DPN_MSGID_TERMINATE_SESSION (DPN_MSGID_OFFSET | 0x0016)

// ---------------------------------------------------------------------------------------------
// Results
#define _DPN_FACILITY_CODE 0x015
#define _DPNHRESULT_BASE 0x8000
#define MAKE_DPNHRESULT(code) MAKE_HRESULT(1, _DPN_FACILITY_CODE, (code + _DPNHRESULT_BASE))

#define DPN_OK S_OK
#define DPNSUCCESS_EQUAL MAKE_HRESULT(0, _DPN_FACILITY_CODE, (0x05 + _DPNHRESULT_BASE))
#define DPNSUCCESS_NOTEQUAL MAKE_HRESULT(0, _DPN_FACILITY_CODE, (0x0A + _DPNHRESULT_BASE))
#define DPNSUCCESS_PENDING MAKE_HRESULT(0, _DPN_FACILITY_CODE, (0x0E + _DPNHRESULT_BASE))

#define DPNERR_ABORTED MAKE_DPNHRESULT(0x030)
#define DPNERR_ADDRESSING MAKE_DPNHRESULT(0x040)
#define DPNERR_ALREADYCLOSING MAKE_DPNHRESULT(0x050)
#define DPNERR_ALREADYCONNECTED MAKE_DPNHRESULT(0x060)
#define DPNERR_ALREADYDISCONNECTING MAKE_DPNHRESULT(0x070)
#define DPNERR_ALREADYINITIALIZED MAKE_DPNHRESULT(0x080)
#define DPNERR_ALREADYREGISTERED MAKE_DPNHRESULT(0x090)
#define DPNERR_BUFFERTOOSMALL MAKE_DPNHRESULT(0x100)
#define DPNERR_CANNOTCANCEL MAKE_DPNHRESULT(0x110)
#define DPNERR_CANTCREATEGROUP MAKE_DPNHRESULT(0x120)
#define DPNERR_CANTCREATEPLAYER MAKE_DPNHRESULT(0x130)
#define DPNERR_CANTLAUNCHAPPLICATION MAKE_DPNHRESULT(0x140)
#define DPNERR_CONNECTING MAKE_DPNHRESULT(0x150)
#define DPNERR_CONNECTIONLOST MAKE_DPNHRESULT(0x160)
#define DPNERR_CONVERSION MAKE_DPNHRESULT(0x170)
#define DPNERR_DATATOOLARGE MAKE_DPNHRESULT(0x175)
#define DPNERR_DOESNOTEXIST MAKE_DPNHRESULT(0x180)
#define DPNERR_DPNSVRNOTAVAILABLE MAKE_DPNHRESULT(0x185)
#define DPNERR_DUPLICATECOMMAND MAKE_DPNHRESULT(0x190)
#define DPNERR_ENDPOINTNOTRECEIVING MAKE_DPNHRESULT(0x200)
#define DPNERR_ENUMQUERYTOOLARGE MAKE_DPNHRESULT(0x210)
#define DPNERR_ENUMRESPONSETOOLARGE MAKE_DPNHRESULT(0x220)
#define DPNERR_EXCEPTION MAKE_DPNHRESULT(0x230)
#define DPNERR_GENERIC E_FAIL
#define DPNERR_GROUPNOTEMPTY MAKE_DPNHRESULT(0x240)
#define DPNERR_HOSTING MAKE_DPNHRESULT(0x250)
#define DPNERR_HOSTREJECTEDCONNECTION MAKE_DPNHRESULT(0x260)
#define DPNERR_HOSTTERMINATEDSESSION MAKE_DPNHRESULT(0x270)
#define DPNERR_INCOMPLETEADDRESS MAKE_DPNHRESULT(0x280)
#define DPNERR_INVALIDADDRESSFORMAT MAKE_DPNHRESULT(0x290)
#define DPNERR_INVALIDAPPLICATION MAKE_DPNHRESULT(0x300)
#define DPNERR_INVALIDCOMMAND MAKE_DPNHRESULT(0x310)
#define DPNERR_INVALIDDEVICEADDRESS MAKE_DPNHRESULT(0x320)
#define DPNERR_INVALIDENDPOINT MAKE_DPNHRESULT(0x330)
#define DPNERR_INVALIDFLAGS MAKE_DPNHRESULT(0x340)
#define DPNERR_INVALIDGROUP MAKE_DPNHRESULT(0x350)
#define DPNERR_INVALIDHANDLE MAKE_DPNHRESULT(0x360)
#define DPNERR_INVALIDHOSTADDRESS MAKE_DPNHRESULT(0x370)
#define DPNERR_INVALIDINSTANCE MAKE_DPNHRESULT(0x380)
#define DPNERR_INVALIDINTERFACE MAKE_DPNHRESULT(0x390)
#define DPNERR_INVALIDOBJECT MAKE_DPNHRESULT(0x400)
#define DPNERR_INVALIDPARAM E_INVALIDARG
#define DPNERR_INVALIDPASSWORD MAKE_DPNHRESULT(0x410)
#define DPNERR_INVALIDPLAYER MAKE_DPNHRESULT(0x420)
#define DPNERR_INVALIDPOINTER E_POINTER
#define DPNERR_INVALIDPRIORITY MAKE_DPNHRESULT(0x430)
#define DPNERR_INVALIDSTRING MAKE_DPNHRESULT(0x440)
#define DPNERR_INVALIDURL MAKE_DPNHRESULT(0x450)
#define DPNERR_INVALIDVERSION MAKE_DPNHRESULT(0x460)
#define DPNERR_NOCAPS MAKE_DPNHRESULT(0x470)
#define DPNERR_NOCONNECTION MAKE_DPNHRESULT(0x480)
#define DPNERR_NOHOSTPLAYER MAKE_DPNHRESULT(0x490)
#define DPNERR_NOINTERFACE E_NOINTERFACE
#define DPNERR_NOMOREADDRESSCOMPONENTS MAKE_DPNHRESULT(0x500)
#define DPNERR_NORESPONSE MAKE_DPNHRESULT(0x510)
#define DPNERR_NOTALLOWED MAKE_DPNHRESULT(0x520)
#define DPNERR_NOTHOST MAKE_DPNHRESULT(0x530)
#define DPNERR_NOTREADY MAKE_DPNHRESULT(0x540)
#define DPNERR_NOTREGISTERED MAKE_DPNHRESULT(0x550)
#define DPNERR_OUTOFMEMORY E_OUTOFMEMORY
#define DPNERR_PENDING DPNSUCCESS_PENDING
#define DPNERR_PLAYERALREADYINGROUP MAKE_DPNHRESULT(0x560)
#define DPNERR_PLAYERLOST MAKE_DPNHRESULT(0x570)
#define DPNERR_PLAYERNOTINGROUP MAKE_DPNHRESULT(0x580)
#define DPNERR_PLAYERNOTREACHABLE MAKE_DPNHRESULT(0x590)
#define DPNERR_SENDTOOLARGE MAKE_DPNHRESULT(0x600)
#define DPNERR_SESSIONFULL MAKE_DPNHRESULT(0x610)
#define DPNERR_TABLEFULL MAKE_DPNHRESULT(0x620)
#define DPNERR_TIMEDOUT MAKE_DPNHRESULT(0x630)
#define DPNERR_UNINITIALIZED MAKE_DPNHRESULT(0x640)
#define DPNERR_UNSUPPORTED E_NOTIMPL
#define DPNERR_USERCANCEL MAKE_DPNHRESULT(0x650)

// ---------------------------------------------------------------------------------------------
// Constants and flags
#define DPNID_ALL_PLAYERS_GROUP 0

#define DPNDESTROYPLAYERREASON_NORMAL 0x0001
#define DPNDESTROYPLAYERREASON_CONNECTIONLOST 0x0002
#define DPNDESTROYPLAYERREASON_SESSIONTERMINATED 0x0003
#define DPNDESTROYPLAYERREASON_HOSTDESTROYEDPLAYER 0x0004

#define DPNOP_SYNC 0x80000000
#define DPNCANCEL_CONNECT 0x0001
#define DPNCANCEL_ENUM 0x0002
#define DPNCANCEL_SEND 0x0004
#define DPNCANCEL_ALL_OPERATIONS 0x8000
#define DPNCLOSE_IMMEDIATE 0x00000001
#define DPNCONNECT_SYNC DPNOP_SYNC
#define DPNCONNECT_OKTOQUERYFORADDRESSING 0x0001
#define DPNHOST_OKTOQUERYFORADDRESSING 0x0001
#define DPNINITIALIZE_DISABLEPARAMVAL 0x0001
#define DPNINITIALIZE_HINT_LANSESSION 0x0002
#define DPNINITIALIZE_DISABLELINKTUNING 0x0004
#define DPNPLAYER_LOCAL 0x0002
#define DPNPLAYER_HOST 0x0004
#define DPNRECEIVE_GUARANTEED 0x0001
#define DPNRECEIVE_COALESCED 0x0002

#define DPNSEND_SYNC DPNOP_SYNC
#define DPNSEND_NOCOPY 0x0001
#define DPNSEND_NOCOMPLETE 0x0002
#define DPNSEND_COMPLETEONPROCESS 0x0004
#define DPNSEND_GUARANTEED 0x0008
#define DPNSEND_NONSEQUENTIAL 0x0010
#define DPNSEND_NOLOOPBACK 0x0020
#define DPNSEND_PRIORITY_LOW 0x0040
#define DPNSEND_PRIORITY_HIGH 0x0080
#define DPNSEND_COALESCE 0x0100

#define DPNSESSION_CLIENT_SERVER 0x0001
#define DPNSESSION_MIGRATE_HOST 0x0004
#define DPNSESSION_NODPNSVR 0x0040
#define DPNSESSION_REQUIREPASSWORD 0x0080
#define DPNSESSION_NOENUMS 0x0100
#define DPNSESSION_FAST_SIGNED 0x0200
#define DPNSESSION_FULL_SIGNED 0x0400

// ---------------------------------------------------------------------------------------------
// Structures
typedef struct _DPN_APPLICATION_DESC {
  DWORD dwSize;
  DWORD dwFlags;
  GUID guidInstance;
  GUID guidApplication;
  DWORD dwMaxPlayers;
  DWORD dwCurrentPlayers;
  WCHAR* pwszSessionName;
  WCHAR* pwszPassword;
  PVOID pvReservedData;
  DWORD dwReservedDataSize;
  PVOID pvApplicationReservedData;
  DWORD dwApplicationReservedDataSize;
} DPN_APPLICATION_DESC, *PDPN_APPLICATION_DESC;

typedef struct _BUFFERDESC {
  DWORD dwBufferSize;
  BYTE* pBufferData;
} BUFFERDESC, DPN_BUFFER_DESC, *PDPN_BUFFER_DESC, *PBUFFERDESC;

typedef struct _DPN_CONNECTION_INFO {
  DWORD dwSize;
  DWORD dwRoundTripLatencyMS;
  DWORD dwThroughputBPS;
  DWORD dwPeakThroughputBPS;
  DWORD dwBytesSentGuaranteed;
  DWORD dwPacketsSentGuaranteed;
  DWORD dwBytesSentNonGuaranteed;
  DWORD dwPacketsSentNonGuaranteed;
  DWORD dwBytesRetried;
  DWORD dwPacketsRetried;
  DWORD dwBytesDropped;
  DWORD dwPacketsDropped;
  DWORD dwMessagesTransmittedHighPriority;
  DWORD dwMessagesTimedOutHighPriority;
  DWORD dwMessagesTransmittedNormalPriority;
  DWORD dwMessagesTimedOutNormalPriority;
  DWORD dwMessagesTransmittedLowPriority;
  DWORD dwMessagesTimedOutLowPriority;
  DWORD dwBytesReceivedGuaranteed;
  DWORD dwPacketsReceivedGuaranteed;
  DWORD dwBytesReceivedNonGuaranteed;
  DWORD dwPacketsReceivedNonGuaranteed;
  DWORD dwMessagesReceived;
} DPN_CONNECTION_INFO, *PDPN_CONNECTION_INFO;
static_assert(sizeof(DPN_CONNECTION_INFO) == 92);

typedef struct _DPN_SECURITY_DESC DPN_SECURITY_DESC, *PDPN_SECURITY_DESC;
typedef struct _DPN_SECURITY_CREDENTIALS DPN_SECURITY_CREDENTIALS, *PDPN_SECURITY_CREDENTIALS;

typedef struct _DPNMSG_CONNECT_COMPLETE {
  DWORD dwSize;
  DPNHANDLE hAsyncOp;
  PVOID pvUserContext;
  HRESULT hResultCode;
  PVOID pvApplicationReplyData;
  DWORD dwApplicationReplyDataSize;
  DPNID dpnidLocal;
} DPNMSG_CONNECT_COMPLETE, *PDPNMSG_CONNECT_COMPLETE;

typedef struct _DPNMSG_CREATE_PLAYER {
  DWORD dwSize;
  DPNID dpnidPlayer;
  PVOID pvPlayerContext;
} DPNMSG_CREATE_PLAYER, *PDPNMSG_CREATE_PLAYER;

typedef struct _DPNMSG_DESTROY_PLAYER {
  DWORD dwSize;
  DPNID dpnidPlayer;
  PVOID pvPlayerContext;
  DWORD dwReason;
} DPNMSG_DESTROY_PLAYER, *PDPNMSG_DESTROY_PLAYER;

typedef struct _DPNMSG_INDICATE_CONNECT {
  DWORD dwSize;
  PVOID pvUserConnectData;
  DWORD dwUserConnectDataSize;
  PVOID pvReplyData;
  DWORD dwReplyDataSize;
  PVOID pvReplyContext;
  PVOID pvPlayerContext;
  IDirectPlay8Address* pAddressPlayer;
  IDirectPlay8Address* pAddressDevice;
} DPNMSG_INDICATE_CONNECT, *PDPNMSG_INDICATE_CONNECT;

typedef struct _DPNMSG_INDICATED_CONNECT_ABORTED {
  DWORD dwSize;
  PVOID pvPlayerContext;
} DPNMSG_INDICATED_CONNECT_ABORTED, *PDPNMSG_INDICATED_CONNECT_ABORTED;

typedef struct _DPNMSG_RECEIVE {
  DWORD dwSize;
  DPNID dpnidSender;
  PVOID pvPlayerContext;
  PBYTE pReceiveData;
  DWORD dwReceiveDataSize;
  DPNHANDLE hBufferHandle;
  DWORD dwReceiveFlags;
} DPNMSG_RECEIVE, *PDPNMSG_RECEIVE;

typedef struct _DPNMSG_SEND_COMPLETE {
  DWORD dwSize;
  DPNHANDLE hAsyncOp;
  PVOID pvUserContext;
  HRESULT hResultCode;
  DWORD dwSendTime;
  DWORD dwFirstFrameRTT;
  DWORD dwFirstFrameRetryCount;
  DWORD dwSendCompleteFlags;
  DPN_BUFFER_DESC* pBuffers;
  DWORD dwNumBuffers;
} DPNMSG_SEND_COMPLETE, *PDPNMSG_SEND_COMPLETE;

typedef struct _DPNMSG_TERMINATE_SESSION {
  DWORD dwSize;
  HRESULT hResultCode;
  PVOID pvTerminateData;
  DWORD dwTerminateDataSize;
} DPNMSG_TERMINATE_SESSION, *PDPNMSG_TERMINATE_SESSION;

// ---------------------------------------------------------------------------------------------
// Classes and interfaces
DEFINE_GUID(CLSID_DirectPlay8Client, 0x743f1dc6, 0x5aba, 0x429f, 0x8b, 0xdf, 0xc5, 0x4d, 0x03, 0x25, 0x3d, 0xc2);
DEFINE_GUID(CLSID_DirectPlay8Server, 0xda825e1b, 0x6830, 0x43d7, 0x83, 0x5d, 0x0b, 0x5a, 0xd8, 0x29, 0x56, 0xa2);
DEFINE_GUID(IID_IDirectPlay8Client, 0x5102dacd, 0x241b, 0x11d3, 0xae, 0xa7, 0x00, 0x60, 0x97, 0xb0, 0x14, 0x11);
DEFINE_GUID(IID_IDirectPlay8Server, 0x5102dace, 0x241b, 0x11d3, 0xae, 0xa7, 0x00, 0x60, 0x97, 0xb0, 0x14, 0x11);
DEFINE_GUID(CLSID_DP8SP_TCPIP, 0xebfe7ba0, 0x628d, 0x11d2, 0xae, 0x0f, 0x00, 0x60, 0x97, 0xb0, 0x14, 0x11);

// The host side: one session of at most dwMaxPlayers players (its own included). Host answers
// DPNERR_INVALIDDEVICEADDRESS when the device address's port cannot be bound (another program or
// session uses it). SendTo accepts DPNID_ALL_PLAYERS_GROUP, a player's id or the host's own (the
// host's handler receives the message); every send is asynchronous unless DPNSEND_SYNC, which
// waits for a guaranteed message's acknowledgement at most the time-out (0: no limit).
// No message reaches the handler once Close has returned.
struct IDirectPlay8Server : public IUnknown {
  virtual HRESULT Initialize(PVOID userContext, PFNDPNMESSAGEHANDLER handler, DWORD flags) = 0;
  virtual HRESULT Host(const DPN_APPLICATION_DESC* applicationDesc, IDirectPlay8Address** deviceInfo,
                       DWORD deviceCount, const DPN_SECURITY_DESC* security,
                       const DPN_SECURITY_CREDENTIALS* credentials, void* playerContext, DWORD flags) = 0;
  virtual HRESULT SendTo(DPNID target, const DPN_BUFFER_DESC* buffers, DWORD bufferCount, DWORD timeOut,
                         void* asyncContext, DPNHANDLE* asyncHandle, DWORD flags) = 0;
  virtual HRESULT DestroyClient(DPNID client, const void* destroyData, DWORD destroyDataSize, DWORD flags) = 0;
  virtual HRESULT GetConnectionInfo(DPNID player, DPN_CONNECTION_INFO* info, DWORD flags) = 0;
  virtual HRESULT CancelAsyncOperation(DPNHANDLE asyncHandle, DWORD flags) = 0;
  virtual HRESULT ReturnBuffer(DPNHANDLE bufferHandle, DWORD flags) = 0;
  virtual HRESULT Close(DWORD flags) = 0;
 protected:
  ~IDirectPlay8Server() = default;
};
typedef IDirectPlay8Server* PDIRECTPLAY8SERVER;

// The joining side. Connect without DPNCONNECT_SYNC returns DPNSUCCESS_PENDING and reports its
// outcome as DPN_MSGID_CONNECT_COMPLETE: DPNERR_INVALIDHOSTADDRESS for a name that does not
// resolve, DPNERR_NOCONNECTION when nobody answers within 5 s, the host's refusal otherwise
// (DPNERR_INVALIDPASSWORD, DPNERR_SESSIONFULL, DPNERR_INVALIDAPPLICATION,
// DPNERR_HOSTREJECTEDCONNECTION). Send goes to the host.
struct IDirectPlay8Client : public IUnknown {
  virtual HRESULT Initialize(PVOID userContext, PFNDPNMESSAGEHANDLER handler, DWORD flags) = 0;
  virtual HRESULT Connect(const DPN_APPLICATION_DESC* applicationDesc, IDirectPlay8Address* hostAddress,
                          IDirectPlay8Address* deviceInfo, const DPN_SECURITY_DESC* security,
                          const DPN_SECURITY_CREDENTIALS* credentials, const void* userConnectData,
                          DWORD userConnectDataSize, void* asyncContext, DPNHANDLE* asyncHandle,
                          DWORD flags) = 0;
  virtual HRESULT Send(const DPN_BUFFER_DESC* buffers, DWORD bufferCount, DWORD timeOut, void* asyncContext,
                       DPNHANDLE* asyncHandle, DWORD flags) = 0;
  virtual HRESULT GetConnectionInfo(DPN_CONNECTION_INFO* info, DWORD flags) = 0;
  virtual HRESULT CancelAsyncOperation(DPNHANDLE asyncHandle, DWORD flags) = 0;
  virtual HRESULT ReturnBuffer(DPNHANDLE bufferHandle, DWORD flags) = 0;
  virtual HRESULT Close(DWORD flags) = 0;
 protected:
  ~IDirectPlay8Client() = default;
};
typedef IDirectPlay8Client* PDIRECTPLAY8CLIENT;

// The COM class table refers to the transport's factories only weakly, so a static link would
// leave them out; every program that includes this header pulls them in through these references.
namespace platform {
HRESULT CreateDirectPlay8ServerObject(REFIID iid, void** object);
HRESULT CreateDirectPlay8ClientObject(REFIID iid, void** object);
HRESULT CreateDirectPlay8AddressObject(REFIID iid, void** object);
__attribute__((used)) inline HRESULT (*const linkDirectPlay8Server)(REFIID, void**) = &CreateDirectPlay8ServerObject;
__attribute__((used)) inline HRESULT (*const linkDirectPlay8Client)(REFIID, void**) = &CreateDirectPlay8ClientObject;
__attribute__((used)) inline HRESULT (*const linkDirectPlay8Address)(REFIID, void**) = &CreateDirectPlay8AddressObject;
}  // namespace platform

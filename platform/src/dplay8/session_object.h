// What the server and client COM objects share: reference counting, the handler given to
// Initialize, and the session that Host or Connect starts and Close ends. The object lock is
// never held while the session's thread is joined, so a handler may call any method.
#pragma once

#include <dplay8.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "dplay8/session.h"

namespace platform::dplay8 {

template <class Interface, const IID& kInterfaceId, class SessionType>
class SessionObject : public Interface {
 public:
  virtual ~SessionObject() { Shut(Take()); }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != kInterfaceId) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Initialize(PVOID userContext, PFNDPNMESSAGEHANDLER messageHandler, DWORD) override {
    if (!messageHandler) return DPNERR_INVALIDPARAM;
    std::lock_guard guard(objectLock);
    if (handler) return DPNERR_ALREADYINITIALIZED;
    handler = messageHandler;
    context = userContext;
    return DPN_OK;
  }

  HRESULT CancelAsyncOperation(DPNHANDLE, DWORD) override { return DPNERR_CANNOTCANCEL; }

  HRESULT ReturnBuffer(DPNHANDLE bufferHandle, DWORD) override {
    const std::shared_ptr<SessionType> current = Current();
    return current ? current->ReturnBuffer(bufferHandle) : DPNERR_INVALIDHANDLE;
  }

  // No message reaches the handler once Close has returned (or, inside a handler, once that
  // handler has returned); the object may be initialised again afterwards.
  HRESULT Close(DWORD) override {
    std::shared_ptr<SessionType> closed;
    {
      std::lock_guard guard(objectLock);
      if (!handler) return DPNERR_UNINITIALIZED;
      closed = std::move(session);
      handler = nullptr;
      context = nullptr;
    }
    Shut(std::move(closed));
    return DPN_OK;
  }

 protected:
  std::shared_ptr<SessionType> Current() {
    std::lock_guard guard(objectLock);
    return session;
  }
  // The result of a call that needs a session when there is none.
  HRESULT NoSession() {
    std::lock_guard guard(objectLock);
    return handler ? DPNERR_NOCONNECTION : DPNERR_UNINITIALIZED;
  }
  // Hands out an asynchronous operation's handle when the caller asked for one.
  static HRESULT WithHandle(HRESULT result, SessionType& current, DPNHANDLE* asyncHandle) {
    if (result == DPNSUCCESS_PENDING && asyncHandle) *asyncHandle = current.NextHandle();
    return result;
  }

  std::mutex objectLock;  // guards the three fields below
  PFNDPNMESSAGEHANDLER handler = nullptr;
  PVOID context = nullptr;
  std::shared_ptr<SessionType> session;

 private:
  std::shared_ptr<SessionType> Take() {
    std::lock_guard guard(objectLock);
    return std::move(session);
  }
  static void Shut(std::shared_ptr<SessionType> closed) {
    if (closed) closed->Stop();
  }

  std::atomic<ULONG> references{1};
};

}  // namespace platform::dplay8

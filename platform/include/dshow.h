// DirectShow subset for music: a filter graph that renders a whole file and plays it, with
// run/stop control and a position in seconds. Implemented in platform/src/dshow as a stream on
// the shared OpenAL device, decoded on a worker thread (WAV and Ogg Vorbis, told by content).
#pragma once

#include <windows.h>

typedef double REFTIME;
typedef LONG OAFilterState;
typedef LONG_PTR OAEVENT;

enum _FilterState { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

#define VFW_E_NOT_FOUND ((HRESULT)0x80040216)
#define VFW_E_CANNOT_RENDER ((HRESULT)0x80040218)
#define VFW_E_WRONG_STATE ((HRESULT)0x80040227)
#define VFW_E_UNKNOWN_FILE_TYPE ((HRESULT)0x80040240)
#define VFW_E_INVALID_FILE_FORMAT ((HRESULT)0x80040241)
#define VFW_E_UNSUPPORTED_STREAM ((HRESULT)0x80040265)

DEFINE_GUID(CLSID_FilterGraph, 0xE436EBB3, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IFilterGraph, 0x56A8689F, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IGraphBuilder, 0x56A868A9, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaControl, 0x56A868B1, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(IID_IMediaPosition, 0x56A868B2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

struct IGraphBuilder : public IUnknown {
  // file: a NUL-terminated wide-character path; playList must be null.
  virtual HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) = 0;
 protected:
  ~IGraphBuilder() = default;
};

struct IMediaControl : public IUnknown {
  virtual HRESULT Run() = 0;
  virtual HRESULT Pause() = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetState(LONG timeoutMilliseconds, OAFilterState* state) = 0;
 protected:
  ~IMediaControl() = default;
};

struct IMediaPosition : public IUnknown {
  virtual HRESULT get_Duration(REFTIME* length) = 0;
  virtual HRESULT put_CurrentPosition(REFTIME time) = 0;
  virtual HRESULT get_CurrentPosition(REFTIME* time) = 0;
 protected:
  ~IMediaPosition() = default;
};

// The COM class table refers to the filter graph's factory only weakly, so a static link would
// leave it out; every program that includes this header pulls it in through this reference.
namespace platform {
HRESULT CreateFilterGraphObject(REFIID iid, void** object);
__attribute__((used)) inline HRESULT (*const linkFilterGraphFactory)(REFIID, void**) = &CreateFilterGraphObject;
}  // namespace platform

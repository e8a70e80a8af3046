// The sentences the log writes for Direct3D, DirectSound and DirectPlay result codes, and which of
// those failures are fatal to the run.
#include "log.h"

#include <d3d9.h>
#include <dplay8.h>
#include <dsound.h>

#include <string>

namespace {

struct ResultText {
  HRESULT code;
  const char* sentence;
  bool fatal;
};

const ResultText kDirect3DTexts[] = {
    {E_FAIL, "Failed!", true},
    {E_OUTOFMEMORY, "Out of memory.", true},
    {E_INVALIDARG, "An invalid parameter was passed to the returning function.", true},
    {D3DERR_OUTOFVIDEOMEMORY, "Direct3D does not have enough display memory to perform the operation.", true},
    {D3DERR_WRONGTEXTUREFORMAT, "The pixel format of the texture surface is not valid.", true},
    {D3DERR_UNSUPPORTEDCOLOROPERATION,
     "The device does not support a specified texture-blending operation for color values.", true},
    {D3DERR_UNSUPPORTEDCOLORARG,
     "The device does not support a specified texture-blending argument for color values.", true},
    {D3DERR_UNSUPPORTEDALPHAOPERATION,
     "The device does not support a specified texture-blending operation for the alpha channel.", true},
    {D3DERR_UNSUPPORTEDALPHAARG,
     "The device does not support a specified texture-blending argument for the alpha channel.", true},
    {D3DERR_TOOMANYOPERATIONS,
     "The application is requesting more texture-filtering operations than the device supports.", true},
    {D3DERR_CONFLICTINGTEXTUREFILTER, "The current texture filters cannot be used together.", true},
    {D3DERR_UNSUPPORTEDFACTORVALUE,
     "The device does not support the specified texture factor value. Not used; provided only to support "
     "older drivers.",
     true},
    {D3DERR_CONFLICTINGRENDERSTATE, "The currently set render states cannot be used together.", true},
    {D3DERR_UNSUPPORTEDTEXTUREFILTER, "The device does not support the specified texture filter.", true},
    {D3DERR_CONFLICTINGTEXTUREPALETTE, "The current textures cannot be used simultaneously.", true},
    {D3DERR_DRIVERINTERNALERROR, "Internal Driver Error. Shut down necessary.", true},
    {D3DERR_NOTFOUND, "The requested item was not found.", true},
    {D3DERR_MOREDATA, "There is more data available than the specified buffer size can hold.", false},
    {D3DERR_DEVICELOST, "Device reset failed. Trying again...", false},
    {D3DERR_DEVICENOTRESET, "", false},
    {D3DERR_NOTAVAILABLE, "This device does not support the queried technique.", true},
    {D3DERR_INVALIDDEVICE, "The requested device type is not valid.", true},
    {D3DERR_INVALIDCALL, "Invalid call.", true},
    {D3DOK_NOAUTOGEN, "No auto-gen mip-maps available.", false},
};

const ResultText kDirectSoundTexts[] = {
    {DS_NO_VIRTUALIZATION, "The buffer was created, but another 3-D algorithm was substituted.", false},
    {DSERR_UNSUPPORTED, "The function called is not supported at this time. ", true},
    {DSERR_NOINTERFACE, "The requested COM interface is not available. ", true},
    {DSERR_GENERIC, "Failed!", true},
    {DSERR_NOAGGREGATION, "The object does not support aggregation. ", true},
    {DSERR_ACCESSDENIED, "The request failed because access was denied.", true},
    {DSERR_OUTOFMEMORY,
     "The DirectSound subsystem could not allocate sufficient memory to complete the caller's request. ", true},
    {DSERR_INVALIDPARAM, "An invalid parameter was passed to the returning function. ", true},
    {DSERR_ALLOCATED,
     "The request failed because resources, such as a priority level, were already in use by another caller.",
     true},
    {DSERR_CONTROLUNAVAIL,
     "The buffer control (volume, pan, and so on) requested by the caller is not available.", true},
    {DSERR_INVALIDCALL, "This function is not valid for the current state of this object. ", true},
    {DSERR_PRIOLEVELNEEDED, "A cooperative level of DSSCL_PRIORITY or higher is required. ", true},
    {DSERR_BADFORMAT, "The specified wave format is not supported. ", true},
    {DSERR_NODRIVER,
     "No sound driver is available for use, or the given GUID is not a valid DirectSound device ID.", true},
    {DSERR_ALREADYINITIALIZED, "The object is already initialized.", false},
    {DSERR_BUFFERLOST, "The buffer memory has been lost and must be restored. ", false},
    {DSERR_OTHERAPPHASPRIO,
     "Another application has a higher priority level, preventing this call from succeeding.", true},
    {DSERR_UNINITIALIZED,
     "The IDirectSound8::Initialize method has not been called or has not been called successfully before "
     "other methods were called. ",
     true},
    {DSERR_BUFFERTOOSMALL, "The buffer size is not great enough to enable effects processing.", false},
    {DSERR_DS8_REQUIRED,
     "A DirectSound object of class CLSID_DirectSound8 or later is required for the requested functionality.",
     true},
    {DSERR_SENDLOOP, "A circular loop of send effects was detected.", true},
    {DSERR_BADSENDBUFFERGUID,
     "The GUID specified in an audiopath file does not match a valid mix-in buffer. ", true},
    {DSERR_FXUNAVAILABLE,
     "The effects requested could not be found on the system, or they are in the wrong order or in the wrong "
     "location",
     true},
    {DSERR_OBJECTNOTFOUND, "The requested object was not found. ", true},
};

const ResultText kDirectPlayTexts[] = {
    {DPNERR_UNSUPPORTED, "Unsupported feature.", true},
    {DPNERR_NOINTERFACE, "Interface not supported.", true},
    {DPNERR_INVALIDPOINTER, "Invalid pointer.", true},
    {DPNERR_GENERIC, "Failed!", true},
    {DPNERR_OUTOFMEMORY, "Insufficient memory.", true},
    {DPNERR_INVALIDPARAM, "Invalid parameter(s).", true},
    {DPNERR_ABORTED, "Aborted.", false},
    {DPNERR_ADDRESSING, "Invalid address.", false},
    {DPNERR_ALREADYCLOSING, "Already closing.", false},
    {DPNERR_ALREADYCONNECTED, "Already connected.", false},
    {DPNERR_ALREADYDISCONNECTING, "Already disconnecting.", true},
    {DPNERR_ALREADYINITIALIZED, "Already Initialized.", false},
    {DPNERR_BUFFERTOOSMALL, "Buffer too small.", true},
    {DPNERR_CANNOTCANCEL, "Can not cancel.", true},
    {DPNERR_CANTCREATEGROUP, "Can't create group.", true},
    {DPNERR_CANTCREATEPLAYER, "Can't create player.", false},
    {DPNERR_CANTLAUNCHAPPLICATION, "Lobby can't launch application.", true},
    {DPNERR_CONNECTING, "Connecting.", false},
    {DPNERR_CONNECTIONLOST, "Connection Lost.", false},
    {DPNERR_DATATOOLARGE, "Data is too large.", true},
    {DPNERR_DOESNOTEXIST, "Requested element does not exist.", true},
    {DPNERR_ENUMQUERYTOOLARGE, "Query data too large.", false},
    {DPNERR_ENUMRESPONSETOOLARGE, "Enumeration query is too large.", true},
    {DPNERR_EXCEPTION, "An exception occurred during processing.", true},
    {DPNERR_GROUPNOTEMPTY, "Group not empty.", true},
    {DPNERR_HOSTREJECTEDCONNECTION, "Host rejected connection.", true},
    {DPNERR_HOSTTERMINATEDSESSION, "Host terminated session.", false},
    {DPNERR_INCOMPLETEADDRESS, "Incomplete address.", true},
    {DPNERR_INVALIDADDRESSFORMAT, "Invalid address format.", true},
    {DPNERR_INVALIDAPPLICATION, "Invalid application GUID.", true},
    {DPNERR_INVALIDCOMMAND, "Invalid command.", true},
    {DPNERR_INVALIDDEVICEADDRESS, "Invalid local computer/device address.", true},
    {DPNERR_INVALIDFLAGS, "Invalid flags.", true},
    {DPNERR_INVALIDGROUP, "Invalid group ID.", true},
    {DPNERR_INVALIDHANDLE, "Invalid handle specified.", true},
    {DPNERR_INVALIDHOSTADDRESS, "Remote address is invalid.", true},
    {DPNERR_INVALIDINSTANCE, "Invalid GUID for this instance.", true},
    {DPNERR_INVALIDINTERFACE, "Interface parameter is invalid.", true},
    {DPNERR_INVALIDOBJECT, "Invalid DP Object pointer.", true},
    {DPNERR_INVALIDPASSWORD, "Invalid password.", false},
    {DPNERR_INVALIDPLAYER, "Invalid player ID.", true},
    {DPNERR_INVALIDPRIORITY, "Invalid priority.", true},
    {DPNERR_INVALIDSTRING, "String parameter is invalid.", true},
    {DPNERR_INVALIDURL, "Invalid DirectPlayURL.", true},
    {DPNERR_INVALIDVERSION, "DPlay Version Mismatch.", true},
    {DPNERR_NOCAPS, "Incapable of this function.", true},
    {DPNERR_NOCONNECTION, "No communication link established.", true},
    {DPNERR_NOHOSTPLAYER, "There is no host of this session.", true},
    {DPNERR_NORESPONSE, "No response from the specified target.", true},
    {DPNERR_NOTALLOWED, "Function now allowed on this object.", true},
    {DPNERR_NOTHOST, "Connecting to nonhost computer.", true},
    {DPNERR_NOTREADY, "Object is not ready for use.", true},
    {DPNERR_PLAYERALREADYINGROUP, "Player is already in the group.", true},
    {DPNERR_PLAYERLOST, "A player has lost connection.", true},
    {DPNERR_PLAYERNOTINGROUP, "Player is not in the group.", true},
    {DPNERR_PLAYERNOTREACHABLE, "P2P Player can't reach joining player.", true},
    {DPNERR_SESSIONFULL, "Session is full.", false},
    {DPNERR_TIMEDOUT, "Operation timed out.", true},
    {DPNERR_UNINITIALIZED, "Object hasn't been initialized yet.", true},
    {DPNERR_USERCANCEL, "User cancelled.", true},
};

template <size_t N>
const ResultText* Find(const ResultText (&table)[N], HRESULT code) {
  for (const ResultText& entry : table) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

}  // namespace

void aruLog::ResultLine(const char* prefix, const char* sentence) {
  Line((std::string(prefix) + "<font color=\"#770000\">" + sentence + "</font>").c_str());
}

bool aruLog::Direct3DResult(HRESULT result) {
  if (result == S_OK) return false;
  const ResultText* entry = Find(kDirect3DTexts, result);
  ResultLine("Direct3D: ", entry ? entry->sentence : "An unknown or non-Direct3D related error occured.");
  return entry ? entry->fatal : true;
}

bool aruLog::DirectSoundResult(HRESULT result) {
  if (result == S_OK) return false;
  const ResultText* entry = Find(kDirectSoundTexts, result);
  ResultLine("DirectSound: ", entry ? entry->sentence : "Other or non-DirectSound related error occured.");
  return entry ? entry->fatal : true;
}

bool aruLog::DirectPlayResult(HRESULT result) {
  if (result == S_OK || result == DPNSUCCESS_PENDING) return false;
  const ResultText* entry = Find(kDirectPlayTexts, result);
  ResultLine("DirectPlay: ", entry ? entry->sentence : "Other or non-DirectPlay related error occured.");
  return entry ? entry->fatal : true;
}

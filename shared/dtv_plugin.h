// The viewer's plug-in interface: what FriioView offers a plug-in (PluginHost, the status block)
// and what it expects of one (IDTVPlugin, the export GetIface2).
//
// Both sides compile this one header: the plug-in implements IDTVPlugin and exports GetIface2,
// the viewer implements PluginHost. The order of the virtual operations is the interface: never
// reorder, insert or remove one. Operations that neither side uses keep their places as harmless
// stubs.
//
// Threads: the viewer calls Init, CreatePluginWindow, OnChannelChanged and GetRecFileName on its
// user-interface thread (the Qt thread that also pumps the platform messages of the plug-in's
// windows) and OnStreamData on its tuner thread. Every PluginHost operation may be called from
// any thread of the plug-in; SetChannel, SetService and CloseViewer are carried out afterwards
// on the viewer's user-interface thread, in order with the messages posted to the viewer's main
// window (OnChannelChanged follows each tuning and each service change).
//
// Linking: the platform and ui layers are shared libraries, so the viewer and its plug-ins use
// one copy of them per process (one set of message queues, one window registry, one clock).
//
// Unloading: when it ends, the viewer stops the stream, then unloads each library (dlclose)
// while its Qt application still runs; the library deletes its plug-in object then, from the
// destructor of a static object. A library that dlclose cannot unload (e.g. one holding
// STB_GNU_UNIQUE symbols; -fno-gnu-unique avoids them) would delete it only at process exit,
// after the Qt application has gone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

#if defined(__GNUC__)
#define DTV_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define DTV_PLUGIN_EXPORT
#endif

// SDK version the viewer passes to IDTVPlugin::Init. A plug-in accepts a version whose second
// byte is 4 or more and whose third byte is not 0.
inline constexpr platform::DWORD kDtvSdkVersion = 0x00010400;

// Capacity, in characters with the terminating NUL, of the path buffer the viewer passes to
// IDTVPlugin::GetRecFileName; the viewer also passes it as the second argument.
inline constexpr platform::DWORD kRecFileNameBufferChars = 2048;

// Card states reported at offset 0 of the status block.
enum DtvCardState : std::int32_t {
    DTV_CARD_OK = 0,
    DTV_CARD_NOREADER = 1,
    DTV_CARD_NOCARD = 2,
    DTV_CARD_REINSERTCARD = 3,
    DTV_CARD_ERROR = 4,
    DTV_CARD_GENERAL_ERROR = 5,
    DTV_CARD_NOTINITIALIZED = 6,
};

// The block PluginHost::GetStatus fills. Fields without a name are reserved and left 0.
struct PluginHostStatus {
    std::int32_t cardState = DTV_CARD_OK;  // one of DtvCardState
    std::int32_t reserved4[4] = {};
    std::int32_t errorCount = 0;  // reception errors since the tuner was opened
    std::int32_t recording = 0;   // 1 while the viewer records
    std::int32_t reserved28 = 0;
    std::int32_t recordSeconds = 0;  // planned length of the running recording, in seconds
    std::int32_t reserved36[7] = {};
};

static_assert(sizeof(PluginHostStatus) == 64);
static_assert(offsetof(PluginHostStatus, cardState) == 0);
static_assert(offsetof(PluginHostStatus, errorCount) == 20);
static_assert(offsetof(PluginHostStatus, recording) == 24);
static_assert(offsetof(PluginHostStatus, recordSeconds) == 32);

// The viewer's side. It stays alive from IDTVPlugin::Init until the viewer unloads the plug-in;
// the plug-in never deletes it.
class PluginHost {
  public:
    // Slot 0.
    virtual ~PluginHost() = default;
    // Slot 1: tunes the physical channel (channel value); 1 when the viewer knows the channel.
    virtual int SetChannel(platform::DWORD channel) = 0;
    // Slot 2: unused; does nothing.
    virtual int Reserved2() { return 0; }
    // Slot 3: selects a service of the tuned transport stream; 1 done.
    virtual int SetService(platform::WORD serviceId) = 0;
    // Slots 4 and 5: unused; do nothing.
    virtual int Reserved4() { return 0; }
    virtual int Reserved5() { return 0; }
    // Slot 6: the viewer ends itself. It returns at once; the viewer quits after the call, from
    // its own message loop, as on WM_CLOSE.
    virtual int CloseViewer() = 0;
    // Slot 7: fills the status block; 1 done, 0 when status is null.
    virtual int GetStatus(PluginHostStatus* status) = 0;

  protected:
    PluginHost() = default;
    PluginHost(const PluginHost&) = default;
    PluginHost& operator=(const PluginHost&) = default;
};

// The plug-in's side. Slots 1 to 5 return 1 when done. The library owns the object GetIface2
// handed out and deletes it itself when it is unloaded; the viewer only holds the pointer.
class IDTVPlugin {
  public:
    // Slot 0.
    virtual ~IDTVPlugin() = default;
    // Slot 1: host interface and SDK version; the viewer goes on only on 1.
    virtual int Init(PluginHost* host, platform::DWORD sdkVersion) = 0;
    // Slot 2: the viewer's main window, owner of the plug-in's window.
    virtual int CreatePluginWindow(platform::HWND hostWindow) = 0;
    // Slot 3: a chunk of the tuned transport stream (whole 188-byte packets); the plug-in copies
    // what it keeps before it returns.
    virtual int OnStreamData(const platform::BYTE* data, platform::DWORD size) = 0;
    // Slot 4: after every tuning: channel value and service_id now tuned.
    virtual int OnChannelChanged(platform::DWORD channel, platform::DWORD service) = 0;
    // Slot 5: the viewer starts a recording and asks where to write it. path holds
    // kRecFileNameBufferChars characters; a plug-in that has no name leaves it untouched.
    virtual int GetRecFileName(wchar_t* path, platform::DWORD bufferChars) = 0;

  protected:
    IDTVPlugin() = default;
    IDTVPlugin(const IDTVPlugin&) = default;
    IDTVPlugin& operator=(const IDTVPlugin&) = default;
};

// The one export of a plug-in library: creates the plug-in object, stores it through plugin and
// returns 1. The first argument is ignored.
extern "C" DTV_PLUGIN_EXPORT int GetIface2(platform::DWORD reserved, IDTVPlugin** plugin);

// Name and type the viewer looks the export up by.
inline constexpr const char* kGetIface2Symbol = "GetIface2";
using GetIface2Function = int (*)(platform::DWORD, IDTVPlugin**);

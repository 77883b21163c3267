// The library's application object: constructed when the viewer loads the library, destroyed
// when it unloads it. It owns the plug-in objects GetIface2 handed out and deletes them itself;
// the viewer only holds the pointers.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "capture_plugin/quorvantel.h"

namespace capture_plugin {

class Cfriio_QuorvantelApp {
  public:
    Cfriio_QuorvantelApp() { InitInstance(); }
    ~Cfriio_QuorvantelApp() { ExitInstance(); }
    Cfriio_QuorvantelApp(const Cfriio_QuorvantelApp&) = delete;
    Cfriio_QuorvantelApp& operator=(const Cfriio_QuorvantelApp&) = delete;

    int InitInstance() { return 1; }
    // Deletes every plug-in object, newest first (each stops its worker and closes its window).
    int ExitInstance();

    // A new plug-in object owned by the library.
    CQuorvantel* CreatePlugin(void* moduleInstance);

  private:
    std::mutex lock_;
    std::vector<std::unique_ptr<CQuorvantel>> plugins_;
};

Cfriio_QuorvantelApp& TheApp();

}  // namespace capture_plugin

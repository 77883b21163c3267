// The viewer's main window "Friio HDTV Player": an unowned top-level window that shows the
// device, channel, service and recording, and answers the messages the plug-in and the timer
// send to the viewer.
#pragma once

#include <cstdint>
#include <string>

#include "ui/dialog.h"

namespace viewer {

inline constexpr const wchar_t* kViewerWindowTitle = L"Friio HDTV Player";

// What the window's messages ask of the viewer; carried out on the window's thread.
class ViewerCommands {
  public:
    virtual ~ViewerCommands() = default;
    virtual int TunerKindReply() = 0;                        // 0x101C
    virtual void StartRecordingOnRequest(int minutes) = 0;   // 0xFB8
    virtual void StopRecording() = 0;                        // 0xFB9
    virtual void AdjustRecording(std::int32_t seconds) = 0;  // 0xFC2
    virtual void Tune(std::uint32_t channel) = 0;
    virtual void SelectService(std::uint16_t serviceId) = 0;
    virtual void Quit() = 0;  // WM_CLOSE
    virtual void Tick() = 0;  // every second
};

struct ViewerDisplay {
    std::wstring device;
    std::wstring channel;
    std::wstring service;
    std::wstring recording;
};

class ViewerWindow : public ui::Dialog {
  public:
    explicit ViewerWindow(ViewerCommands& commands);

    void Show(const ViewerDisplay& display);

    ui::LRESULT WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) override;

  protected:
    ui::BOOL OnInitDialog() override;
    void OnTimer(ui::UINT_PTR id) override;
    // Enter and Escape neither close nor hide the main window.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    ViewerCommands& commands_;
    ViewerDisplay display_;
};

}  // namespace viewer

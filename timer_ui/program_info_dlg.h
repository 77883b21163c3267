// The details of one programme of the timer's EPG store in a read-only text that fills the
// window. Opened from the reservation list, the automatic-reservation list and the search
// results, which name the programme before the dialog runs.
#pragma once

#include <cstdint>
#include <string>

#include "broadcast/epg_store.h"
#include "ui/dialog.h"

namespace timer_ui {

class CProgramInfoDlg : public ui::Dialog {
  public:
    enum ControlId { IDC_INFO = 1038 };

    CProgramInfoDlg();

    // The store is not owned and must outlive the dialog's run.
    void SetProgram(const broadcast::EpgStore* store, std::uint16_t transportStreamId,
                    std::uint16_t serviceId, std::uint16_t eventId);

    // The text shown (built when the dialog starts).
    const std::wstring& Text() const { return text_; }

  protected:
    ui::BOOL OnInitDialog() override;
    void OnSize(ui::UINT type, int cx, int cy) override;

  private:
    const broadcast::EpgStore* store_ = nullptr;
    std::uint16_t transportStreamId_ = 0;
    std::uint16_t serviceId_ = 0;
    std::uint16_t eventId_ = 0;
    std::wstring text_;
};

}  // namespace timer_ui

#include "ui/notify_icon.h"

#include <QCoreApplication>
#include <QPointer>
#include <map>
#include <utility>

#include "ui/qt_text.h"

namespace ui {
namespace {

// The Qt icons are children of the application object, so none outlives it.
struct TrayEntry {
    QPointer<QSystemTrayIcon> icon;
    UINT callbackMessage = 0;
};

using Key = std::pair<HWND, UINT>;

std::optional<bool>& NotificationAreaAnswer() {
    static std::optional<bool> answer;
    return answer;
}

std::map<Key, TrayEntry>& Icons() {
    static std::map<Key, TrayEntry> icons;
    return icons;
}

void Apply(TrayEntry& entry, const NOTIFYICONDATAW& data) {
    if ((data.uFlags & NIF_MESSAGE) != 0) entry.callbackMessage = data.uCallbackMessage;
    if ((data.uFlags & NIF_ICON) != 0) entry.icon->setIcon(data.hIcon);
    if ((data.uFlags & NIF_TIP) != 0) {
        entry.icon->setToolTip(ToQString(std::wstring_view(data.szTip).substr(0, kMaxTipLength)));
    }
}

void PostClick(const Key& key, QSystemTrayIcon::ActivationReason reason) {
    const auto it = Icons().find(key);
    if (it == Icons().end() || it->second.callbackMessage == 0) return;
    UINT mouse = 0;
    if (reason == QSystemTrayIcon::Trigger) mouse = WM_LBUTTONDOWN;
    if (reason == QSystemTrayIcon::Context) mouse = WM_RBUTTONDOWN;
    if (mouse == 0) return;
    platform::PostMessageW(key.first, it->second.callbackMessage, key.second,
                           static_cast<LPARAM>(mouse));
}

}  // namespace

BOOL Shell_NotifyIconW(DWORD message, const NOTIFYICONDATAW& data) {
    const Key key{data.hWnd, data.uID};
    auto& icons = Icons();
    const auto it = icons.find(key);
    switch (message) {
        case NIM_ADD: {
            if ((it != icons.end() && !it->second.icon.isNull()) || data.hWnd == 0) return FALSE;
            TrayEntry& entry = icons[key];
            entry.icon = new QSystemTrayIcon(QCoreApplication::instance());
            QObject::connect(entry.icon.data(), &QSystemTrayIcon::activated,
                             [key](QSystemTrayIcon::ActivationReason r) { PostClick(key, r); });
            Apply(entry, data);
            entry.icon->show();
            return TRUE;
        }
        case NIM_MODIFY:
            if (it == icons.end() || it->second.icon.isNull()) return FALSE;
            Apply(it->second, data);
            return TRUE;
        case NIM_DELETE: {
            if (it == icons.end()) return FALSE;
            const bool existed = !it->second.icon.isNull();
            delete it->second.icon.data();
            icons.erase(it);
            return existed ? TRUE : FALSE;
        }
        default:
            return FALSE;
    }
}

QSystemTrayIcon* FindNotifyIcon(HWND owner, UINT id) {
    const auto it = Icons().find({owner, id});
    return it != Icons().end() ? it->second.icon.data() : nullptr;
}

bool IsNotificationAreaAvailable() {
    if (const std::optional<bool>& answer = NotificationAreaAnswer()) return *answer;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SetNotificationAreaAnswer(std::optional<bool> available) {
    NotificationAreaAnswer() = available;
}

}  // namespace ui

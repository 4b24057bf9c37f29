#include "app/MonitorPower.h"

#include "core/MessageLog.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef _WIN32
#include <windows.h>
#elif defined(TALLIVUE_XCB_DPMS)
#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace {

#if !defined(_WIN32) && defined(TALLIVUE_XCB_DPMS)
xcb_connection_t* XConnection() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
#endif

} // namespace

void TMonitorPower::Sleep(QWidget& window) {
    if (FAsleep)
        return;
    const std::string why = AskToSleep(window);
    FAsleep = why.empty();
    if (!FAsleep && !FTold) {
        FTold = true;
        LogLine("the monitor cannot be asked to sleep here (" + why +
                "): outside the opening hours the screen stays black instead");
    }
}

#ifdef _WIN32

std::string TMonitorPower::AskToSleep(QWidget& window) {
    // To the display's own window: its default handling passes it to the system.
    const auto handle = reinterpret_cast<HWND>(window.winId());
    if (!PostMessageW(handle, WM_SYSCOMMAND, SC_MONITORPOWER, 2))
        return "Windows refused the monitor power message, error " + std::to_string(GetLastError());
    return {};
}

void TMonitorPower::Wake(QWidget& window) {
    if (!FAsleep)
        return;
    FAsleep = false;
    PostMessageW(reinterpret_cast<HWND>(window.winId()), WM_SYSCOMMAND, SC_MONITORPOWER, -1);
    // Newer Windows wakes the monitor only for input: a mouse move by nothing.
    INPUT nudge{};
    nudge.type = INPUT_MOUSE;
    nudge.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &nudge, sizeof nudge);
}

#elif defined(TALLIVUE_XCB_DPMS)

std::string TMonitorPower::AskToSleep(QWidget&) {
    xcb_connection_t* connection = XConnection();
    if (!connection)
        return "not an X11 session: " + QGuiApplication::platformName().toStdString();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_dpms_id);
    if (!extension || !extension->present)
        return "the X server has no DPMS extension";
    xcb_dpms_capable_reply_t* capable =
        xcb_dpms_capable_reply(connection, xcb_dpms_capable(connection), nullptr);
    const bool canSleep = capable && capable->capable;
    std::free(capable);
    if (!canSleep)
        return "the X server's screen has no power saving";
    xcb_dpms_info_reply_t* info =
        xcb_dpms_info_reply(connection, xcb_dpms_info(connection), nullptr);
    FDpmsWasOn = info && info->state;
    std::free(info);
    // The server takes a forced level only with DPMS on; the kiosk's xinitrc turns it off so
    // that the screen never blanks by itself, and it is turned off again at the wake.
    if (!FDpmsWasOn)
        xcb_dpms_enable(connection);
    xcb_dpms_force_level(connection, XCB_DPMS_DPMS_MODE_OFF);
    xcb_flush(connection);
    return {};
}

void TMonitorPower::Wake(QWidget&) {
    if (!FAsleep)
        return;
    FAsleep = false;
    if (xcb_connection_t* connection = XConnection()) {
        xcb_dpms_force_level(connection, XCB_DPMS_DPMS_MODE_ON);
        if (!FDpmsWasOn)
            xcb_dpms_disable(connection);
        xcb_flush(connection);
    }
}

#else

std::string TMonitorPower::AskToSleep(QWidget&) {
    return "this build has no way to ask it";
}

void TMonitorPower::Wake(QWidget&) {
    FAsleep = false;
}

#endif

#pragma once
// The commands the main window sends to the photo viewer, as event types with the numbers of the
// window messages they stand for (the platform's first user message 1024 plus 5200 to 5207). They
// are delivered synchronously: the viewer has acted on a command when SendViewCommand returns.

#include <QCoreApplication>
#include <QEvent>

namespace ViewCommands {
constexpr int UserMessageBase = 1024;
} // namespace ViewCommands

constexpr QEvent::Type WM_VIEW_WHEELDOWN = static_cast<QEvent::Type>(ViewCommands::UserMessageBase + 5200);
constexpr QEvent::Type WM_VIEW_WHEELUP = static_cast<QEvent::Type>(ViewCommands::UserMessageBase + 5201);
constexpr QEvent::Type WM_VIEW_WHEEL = static_cast<QEvent::Type>(ViewCommands::UserMessageBase + 5202);
constexpr QEvent::Type WM_VIEW_SOURCESIZE = static_cast<QEvent::Type>(ViewCommands::UserMessageBase + 5203);
constexpr QEvent::Type WM_VIEW_ROTATERIGHT = static_cast<QEvent::Type>(ViewCommands::UserMessageBase + 5204);
constexpr QEvent::Type WM_VIEW_ROTATELEFT = static_cast<QEvent::Type>(ViewCommands::UserMessageBase + 5205);
constexpr QEvent::Type WM_VIEW_ZOOMIN = static_cast<QEvent::Type>(ViewCommands::UserMessageBase + 5206);
constexpr QEvent::Type WM_VIEW_ZOOMOUT = static_cast<QEvent::Type>(ViewCommands::UserMessageBase + 5207);

inline bool IsViewCommand(QEvent::Type type) {
    return type >= WM_VIEW_WHEELDOWN && type <= WM_VIEW_ZOOMOUT;
}

// Sends one command to the viewer and returns once the viewer has handled it.
inline void SendViewCommand(QObject *viewer, QEvent::Type command) {
    QEvent event(command);
    QCoreApplication::sendEvent(viewer, &event);
}

// For dialog tests: mouse presses, releases and clicks delivered to a widget as the user's mouse
// would deliver them (left button, at a point of the widget).
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

namespace test_support {

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint pos) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void Click(QWidget* target, QPoint pos) {
    SendMouse(target, QEvent::MouseButtonPress, pos);
    SendMouse(target, QEvent::MouseButtonRelease, pos);
}

}  // namespace test_support

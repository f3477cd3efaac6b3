// What the window tests of the machine and generation windows share: a real mouse click on a
// toolbar button by index, controls found by object name, and events let through once.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include "platform/gui/toolbar.h"

namespace corvane::test {

// The control `name` inside `window`; fails the test when it is missing.
template <typename T>
T* control(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << "no control " << name << " in "
                              << window.objectName().toStdString();
    return found;
}

// Clicks toolbar button `index` of `window` with the mouse.
inline void clickToolbar(QWidget& window, int index) {
    auto* bar = window.findChild<Toolbar*>("asxToolbar1");
    ASSERT_NE(bar, nullptr);
    QAction* action = bar->action(index);
    ASSERT_NE(action, nullptr) << "no toolbar button " << index;
    QWidget* button = bar->widgetForAction(action);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void letEventsThrough() {
    QApplication::processEvents();
}

}  // namespace corvane::test

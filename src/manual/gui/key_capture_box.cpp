#include "manual/gui/key_capture_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>

namespace corvane {

KeyCaptureBox::KeyCaptureBox(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setMinimumSize(60, 40);
    setAutoFillBackground(true);
    setBackground(QApplication::palette().color(QPalette::Base));
}

QColor KeyCaptureBox::backgroundColor() const {
    return palette().color(QPalette::Window);
}

void KeyCaptureBox::setBackground(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void KeyCaptureBox::keyPressEvent(QKeyEvent* event) {
    // Arrow keys would otherwise move the focus away; every key stays here.
    emit keyPressed(event->key());
    event->accept();
}

void KeyCaptureBox::focusInEvent(QFocusEvent* event) {
    setBackground(focusColor());
    QFrame::focusInEvent(event);
}

void KeyCaptureBox::focusOutEvent(QFocusEvent* event) {
    setBackground(QApplication::palette().color(QPalette::Base));
    QFrame::focusOutEvent(event);
}

void KeyCaptureBox::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QFrame::mousePressEvent(event);
}

}  // namespace corvane

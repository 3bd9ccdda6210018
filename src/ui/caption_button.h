#pragma once
// A push button whose caption wraps onto a second line when it is wider than the button, as the
// instrument's two-word captions ("Démarrer lecture MAX187") need at their fixed size.
#include <QPushButton>

class CaptionButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

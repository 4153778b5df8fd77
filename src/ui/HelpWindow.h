#pragma once

#include "SmallDialog.h"

#include <functional>

class QPropertyAnimation;

// The about window "حول البرنامج": the product, its publisher and how to reach them. It fades
// in when it opens and out when it closes; where fading cannot run it simply shows and hides.
class HelpWindow : public SmallDialog
{
    Q_OBJECT
public:
    HelpWindow();

    SkinButton* SkinButton1; // heading
    SkinButton* cmdCancel;   // "موافق"
    SkinButton* keysButton;  // lists the keys

    // The program's keys, one a line: the key, then what it does.
    static QString keysText();

    static QString publisher();
    // The effect speeds of opening (10) and closing (15), as durations.
    static int fadeMilliseconds(int speed) { return speed * 20; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fade(qreal to, int speed, const std::function<void()>& finished);

    QPropertyAnimation* m_fade = nullptr;
    bool m_closing = false;
};

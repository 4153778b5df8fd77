#pragma once

#include <QObject>

class QWidget;

// Text boxes that take typing turn pale yellow (0xD8FAFE) while they have the focus and
// 0xFBFBFB when they lose it.
class FocusColour : public QObject
{
    Q_OBJECT
public:
    static constexpr quint32 kFocused = 0xD8FAFE;
    static constexpr quint32 kUnfocused = 0xFBFBFB;

    static void install(QWidget* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

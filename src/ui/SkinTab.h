#pragma once

#include <QFrame>

// The framed background of a dialog: a one-tab panel whose tab strip is hidden. The dialog's
// controls are placed on it.
class SkinTab : public QFrame
{
    Q_OBJECT
public:
    explicit SkinTab(QWidget* parent = nullptr);
};

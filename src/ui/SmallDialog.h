#pragma once

#include <QDialog>

class SkinButton;
class SkinLabel;
class SkinTab;
class SkinTextBox;

// The frame of the program's small modal dialogs: a fixed client area in twips, the framed
// background panel, and controls placed on it by twips. Placed horizontally centred and a
// given number of twips above the vertical centre of the screen.
class SmallDialog : public QDialog
{
    Q_OBJECT
public:
    SmallDialog(const QString& caption, int widthTwips, int heightTwips, int aboveCentreTwips = 160);

    SkinTab* SkinTab1;

protected:
    SkinLabel* addLabel(const QString& caption, int left, int top, int width, int height);
    SkinTextBox* addBox(const QString& accessibleName, int left, int top, int width, int height);
    // A password box: "*" for every character, at most ten, pale grey.
    SkinTextBox* addPasswordBox(const QString& accessibleName, int left, int top, int width, int height);
    SkinButton* addButton(const QString& caption, int left, int top, int width, int height);
};

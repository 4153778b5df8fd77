#pragma once

#include <QWidget>

class QLabel;
class SkinButton;

// What an empty book shows in place of the directory list: the three ways to begin.
class WelcomePanel : public QWidget
{
    Q_OBJECT
public:
    explicit WelcomePanel(QWidget* parent);

    QLabel* heading;
    SkinButton* addDirectory;
    SkinButton* importFile;
    SkinButton* linkServer;
};

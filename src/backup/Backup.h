#pragma once

#include "SmallDialog.h"

// Backup: copies the database into a chosen folder as ZK-Data.bak.
class Backup : public SmallDialog
{
    Q_OBJECT
public:
    Backup();

    SkinTextBox* pathoutput;
    SkinButton* command1; // browse
    SkinButton* command2; // save

    void browse();
    void save();
};

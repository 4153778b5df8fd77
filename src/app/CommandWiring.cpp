#include "CommandWiring.h"

#include "MainForm.h"

void CommandWiring::install(MainForm& form)
{
    (void)form;
}

#include "CommandWiring.h"

#include "DirectoryDelete.h"
#include "MainForm.h"

void CommandWiring::install(MainForm& form)
{
    form.commands.deleteDirectory = [](MainForm& f) { DirectoryDelete::run(f); };
}

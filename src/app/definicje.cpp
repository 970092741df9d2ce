#include "app/definicje.h"

ProgramGlobals &Globals()
{
    static ProgramGlobals globals;
    return globals;
}

// Compiled against the program layer alone: its own header must be found and
// the session layer's must not, or the layers would not hold.
#include "program/Assembler.h"

// The layer above, which must stay out of reach.
#include "session/Session.h"

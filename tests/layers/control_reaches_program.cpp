// Compiled against the control layer alone: its own header must be found and
// the program layer's must not, or the layers would not hold.
#include "control/CommentFilter.h"

// The layer above, which must stay out of reach.
#include "program/Assembler.h"

// Compiled against the control layer alone: its own header must be found and
// the program layer's must not, or the layers would not hold.
#include "control/CommentFilter.h"
#include "program/Assembler.h"

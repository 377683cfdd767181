// Compiled against the machine layer alone: its own header must be found and
// the control layer's must not, or the layers would not hold.
#include "machine/CyclePlan.h"

// The layer above, which must stay out of reach.
#include "control/ControlUnit.h"

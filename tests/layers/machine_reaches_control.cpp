// Compiled against the machine layer alone: its own header must be found and
// the control layer's must not, or the layers would not hold.
#include "control/ControlUnit.h"
#include "machine/CyclePlan.h"

// Compiled against the common layer alone: its own header must be found and
// the machine layer's must not, or the layers would not hold.
#include "common/Error.h"

// The layer above, which must stay out of reach.
#include "machine/Machine.h"

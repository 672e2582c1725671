// The sound collection. (Being built.)
#include "sound/WaveCollection.h"

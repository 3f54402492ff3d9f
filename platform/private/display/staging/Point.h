// Stand-in until the shared geometry header exists.
#include "../StagingGeometry.h"

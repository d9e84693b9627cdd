// Chief header of the frame layer: the checksum, the frames and the reply check; and the paths
// the program derives from its own location.
#pragma once

#include "Crc16.h"
#include "Frames.h"
#include "ProgramPaths.h"
#include "WorkerResult.h"

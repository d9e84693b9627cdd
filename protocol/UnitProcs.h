// Chief header of the frame layer: the checksum, the frames and the reply check.
#pragma once

#include "Crc16.h"
#include "Frames.h"
#include "WorkerResult.h"

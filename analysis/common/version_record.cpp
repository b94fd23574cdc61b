// The version record of one shared library (compiled into each of them).
#include "common/version_record.h"

SENSOR_DEFINE_VERSION_RECORD();

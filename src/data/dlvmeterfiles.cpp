#include "dlvmeterfiles.h"

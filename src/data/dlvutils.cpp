#include "dlvutils.h"

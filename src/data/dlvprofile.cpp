#include "dlvprofile.h"

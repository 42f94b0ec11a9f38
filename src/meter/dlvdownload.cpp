#include "dlvdownload.h"

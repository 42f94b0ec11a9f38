#include "dlvcsv.h"

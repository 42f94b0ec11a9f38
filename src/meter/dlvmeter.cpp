#include "dlvmeter.h"

#pragma once
// Time-history chart computations (period levels, axis ranges, marker geometry).

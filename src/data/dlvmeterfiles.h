#pragma once
// Writers of the meter's own files (.BIN, .PRF, .EVT, .WAV); used by the sample
// drive generator and by the tests' fixtures.

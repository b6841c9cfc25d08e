// The cases of the portable suites that test what only Linux has. Under
// Wine they are left out of the run, and each one present in the program is
// named in the output with its reason, as are the source files that the
// build left out (VESK_LEFT_OUT_SOURCES, set by the test's environment).
#pragma once

// Call after InitGoogleTest and before RUN_ALL_TESTS.
void leaveOutLinuxOnlyCases();

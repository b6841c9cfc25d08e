// main() of every test program under Wine: GoogleTest's own, less the cases
// that need Linux.
#include "linux_only_cases.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  leaveOutLinuxOnlyCases();
  return RUN_ALL_TESTS();
}

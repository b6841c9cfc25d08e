// main() of the Windows-only tests: first the holder of a file for another
// process's tests (other_process.h), else GoogleTest.
#include "other_process.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (const std::optional<int> holderExit = holdFileIfAsked(argc, argv)) return *holderExit;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

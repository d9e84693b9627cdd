#include "SecondProcess.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (argc == 2 && IsSecondProcessMode(argv[1]))
        return RunSecondProcessMode(argv[1]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

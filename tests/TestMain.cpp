#include <gtest/gtest.h>

#include "support/TestSupport.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new testsupport::SdlEnvironment());
    return RUN_ALL_TESTS();
}

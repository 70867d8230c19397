#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    // The formats must never follow the C library's locale; run under the
    // user's locale on purpose so that an accidental dependency shows.
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

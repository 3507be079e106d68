// The table registry: types 0..5, counts, and calls without a registry.
#include "platform/table_registry.h"

#include <gtest/gtest.h>

#include "platform/mem.h"

namespace {

TEST(TableRegistryTest, RegistersSixTypesWithCountZero)
{
    const int32_t live_blocks = mem_stats().live_blocks;
    ASSERT_EQ(table_registry_init(), 0);
    int first = 0;
    int second = 0;
    EXPECT_EQ(table_register(&first, 6), -1);
    EXPECT_EQ(table_register(&first, -1), -1);
    EXPECT_EQ(table_register(&first, 5), 0);
    EXPECT_EQ(table_count(5), 0);
    // A second registration replaces the first, count included.
    EXPECT_EQ(table_register(&first, 1), 0);
    EXPECT_EQ(table_set_count(1, 40), 0);
    EXPECT_EQ(table_count(1), 40);
    EXPECT_EQ(table_register(&second, 1), 0);
    EXPECT_EQ(table_address(1), &second);
    EXPECT_EQ(table_count(1), 0);
    EXPECT_EQ(table_set_count(6, 1), -1);
    EXPECT_EQ(table_count(-7), 0);

    table_registry_free();
    table_registry_free();
    EXPECT_EQ(mem_stats().live_blocks, live_blocks);
    // Without a registry nothing is written and nothing is found.
    EXPECT_EQ(table_register(&first, 1), -1);
    EXPECT_EQ(table_count(1), 0);
    EXPECT_EQ(table_address(1), nullptr);
}

} // namespace

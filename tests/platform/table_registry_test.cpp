// The table registry: types 0..5, counts, and calls without a registry.
#include "platform/table_registry.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/mem.h"

namespace {

// A second registration replaces the first, count included; without a registry nothing is
// written and nothing is found.
TEST(TableRegistryTest, RegistersSixTypesWithCountZero)
{
    const int32_t live_blocks = mem_stats().live_blocks;
    ASSERT_EQ(table_registry_init(), 0);
    int first = 0;
    int second = 0;
    EXPECT_EQ((std::vector{table_register(&first, 6), table_register(&first, -1),
                           table_register(&first, 5), table_count(5), table_register(&first, 1),
                           table_set_count(1, 40), table_count(1), table_register(&second, 1),
                           table_count(1), table_set_count(6, 1), table_count(-7)}),
              (std::vector{-1, -1, 0, 0, 0, 0, 40, 0, 0, -1, 0}));
    EXPECT_EQ(table_address(1), &second);
    table_registry_free();
    table_registry_free();
    EXPECT_EQ(mem_stats().live_blocks, live_blocks);
    EXPECT_EQ(std::pair(table_register(&first, 1), table_count(1)), std::pair(-1, 0));
    EXPECT_EQ(table_address(1), nullptr);
}

} // namespace

// The table registry: for each of six table types, the address of a table and its element count.
// The scene registers its colour-entry and texture-coordinate tables here, and its colour
// conversion takes the number of colours to convert from here.
#pragma once

#include <cstdint>

constexpr int32_t TABLE_TYPES = 6;

struct TableEntry {
    uint32_t reserved; // written 0
    int32_t count;
    void* table;
};

// Allocates the six zero entries; 0, or -1 after the allocator's "Error" box.
int32_t table_registry_init();
// Frees the entries; safe to call twice.
void table_registry_free();
// Registers table under type with a count of 0, replacing what the type had; 0, or -1 (nothing
// changed) for a type outside 0..5 or no registry.
int32_t table_register(void* table, int32_t type);
// Sets the element count of a type; 0, or -1 (nothing changed) as for table_register.
int32_t table_set_count(int32_t type, int32_t count);
// The element count of a type; 0 for a type outside 0..5 or no registry.
int32_t table_count(int32_t type);
// The registered table of a type; null for a type outside 0..5 or no registry.
void* table_address(int32_t type);

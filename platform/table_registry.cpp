#include "platform/table_registry.h"

#include "platform/mem.h"

namespace {

struct TableRegistry {
    TableEntry* entries;
};

TableRegistry registry;

TableEntry* table_entry(int32_t type)
{
    return registry.entries && type >= 0 && type < TABLE_TYPES ? &registry.entries[type] : nullptr;
}

} // namespace

int32_t table_registry_init()
{
    registry.entries = static_cast<TableEntry*>(mem_alloc(TABLE_TYPES * sizeof(TableEntry)));
    return registry.entries ? 0 : -1;
}

void table_registry_free()
{
    mem_free(registry.entries);
    registry.entries = nullptr;
}

int32_t table_register(void* table, int32_t type)
{
    TableEntry* entry = table_entry(type);
    if (!entry)
        return -1;
    *entry = {0, 0, table};
    return 0;
}

int32_t table_set_count(int32_t type, int32_t count)
{
    TableEntry* entry = table_entry(type);
    if (!entry)
        return -1;
    entry->count = count;
    return 0;
}

int32_t table_count(int32_t type)
{
    const TableEntry* entry = table_entry(type);
    return entry ? entry->count : 0;
}

void* table_address(int32_t type)
{
    const TableEntry* entry = table_entry(type);
    return entry ? entry->table : nullptr;
}

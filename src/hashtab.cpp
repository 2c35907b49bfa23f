#include "hashtab.h"

#include <cstring>

#include "error.h"

HashTable* HashCreate(std::uint32_t size)
{
    if (size == 0)
        size = HASH_DEFAULT_SIZE;
    auto* table = new HashTable;
    table->buckets = std::make_unique<List[]>(size);
    table->size = size;
    return table;
}

void HashDelete(HashTable* table)
{
    if (!table)
        return;
    for (std::uint32_t i = 0; i < table->size; ++i) {
        while (ListNode* node = RemHead(table->buckets[i]))
            delete static_cast<HashEntry*>(node);
    }
    delete table;
}

std::uint32_t Hash(const char* key)
{
    std::uint32_t h = 0;
    for (const char* p = key; *p; ++p)
        h = (h << 7) + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(*p)));
    return h;
}

namespace {

List& BucketOf(const HashTable* table, const char* key)
{
    return table->buckets[Hash(key) % table->size];
}

HashEntry* Find(const HashTable* table, const char* key)
{
    for (auto* entry = ListFirst<HashEntry>(BucketOf(table, key)); entry; entry = ListNext(entry)) {
        if (std::strcmp(entry->key, key) == 0)
            return entry;
    }
    return nullptr;
}

} // namespace

int HashSearch(const HashTable* table, const char* key, std::uintptr_t* value)
{
    HashEntry* entry = Find(table, key);
    if (!entry)
        return 0;
    if (value)
        *value = entry->value;
    return 1;
}

void HashInsert(HashTable* table, const char* key, std::uintptr_t value)
{
    auto* entry = new HashEntry;
    entry->key = key;
    entry->value = value;
    AddHead(BucketOf(table, key), entry);
}

int HashRemove(HashTable* table, const char* key)
{
    HashEntry* entry = Find(table, key);
    if (!entry)
        return 0;
    Remove(BucketOf(table, key), entry);
    delete entry;
    return 1;
}

// A string-keyed dictionary of a fixed number of buckets, each bucket a List.
#pragma once

#include <cstdint>
#include <memory>

#include "list.h"

// One entry of a bucket. The key is borrowed: the table never copies or frees it.
struct HashEntry : ListNode {
    const char* key = nullptr;
    std::uintptr_t value = 0;
};

struct HashTable {
    std::unique_ptr<List[]> buckets;
    std::uint32_t size = 0;
};

constexpr std::uint32_t HASH_DEFAULT_SIZE = 131;

// A new table with `size` empty buckets (0 means 131).
HashTable* HashCreate(std::uint32_t size);
// Frees every entry, the buckets and the table (not the keys, not the values).
void HashDelete(HashTable* table);
std::uint32_t Hash(const char* key);
// 1 when the key is present (its value stored through `value` when not null), else 0.
int HashSearch(const HashTable* table, const char* key, std::uintptr_t* value);
// Adds an entry at the head of the key's bucket; an older entry of the same key is hidden.
void HashInsert(HashTable* table, const char* key, std::uintptr_t value);
// Removes the first entry of the key; 1 when one was removed.
int HashRemove(HashTable* table, const char* key);

// Hash tables and symbol tables.
#include <gtest/gtest.h>

#include <cstring>

#include "hashtab.h"
#include "symtab.h"

namespace {

TEST(HashTable, DefaultSizeAndHashFunction)
{
    HashTable* table = HashCreate(0);
    EXPECT_EQ(table->size, 131u);
    HashDelete(table);

    // Bytes from 0x80 on count as negative values.
    const std::pair<const char*, std::uint32_t> hashes[] = {
        {"", 0u},        {"\xff", 0xFFFFFFFFu}, {"a", 97u}, {"ab", (97u << 7) + 98u},
        {"\x80", static_cast<std::uint32_t>(-128)}, {"a\x80", (97u << 7) - 128u}};
    for (const auto& [key, hash] : hashes)
        EXPECT_EQ(Hash(key), hash) << key;
}

TEST(HashTable, LaterInsertionHidesEarlierUntilRemoved)
{
    HashTable* table = HashCreate(7);
    const char* key = "name";
    HashInsert(table, key, 1);
    HashInsert(table, key, 2);
    std::uintptr_t value = 0;
    ASSERT_EQ(HashSearch(table, "name", &value), 1);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(HashRemove(table, "name"), 1);
    ASSERT_EQ(HashSearch(table, "name", &value), 1);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(HashRemove(table, "name"), 1);
    EXPECT_EQ(HashRemove(table, "name"), 0);
    EXPECT_EQ(HashSearch(table, "name", nullptr), 0);
    HashDelete(table);
}

TEST(SymbolTable, SearchFindsTheLatestInsertionAndItsOwnCopyOfTheData)
{
    SymbolTable* table = SymCreate(0);
    EXPECT_EQ(table->hash->size, 131u);
    int first = 10, second = 20;
    SymInsert(table, "x", &first, 1, sizeof first);
    SymInsert(table, "x", &second, 2, sizeof second);
    second = 99;
    const void* data = nullptr;
    EXPECT_EQ(SymSearch(table, "x", &data), 2u);
    EXPECT_EQ(*static_cast<const int*>(data), 20);
    EXPECT_EQ(SymRemove(table, "x"), 1);
    EXPECT_EQ(SymSearch(table, "x", &data), 1u);
    EXPECT_EQ(*static_cast<const int*>(data), 10);
    EXPECT_EQ(table->symbols.count, 1u);

    // Inconsistent insertions are ignored; an absent name leaves the out pointer alone.
    SymInsert(table, "zero", nullptr, 0, 0);
    SymInsert(table, "nosize", &first, 3, 0);
    SymInsert(table, "nodata", nullptr, 3, 4);
    EXPECT_EQ(table->symbols.count, 1u);
    const void* untouched = &first;
    EXPECT_EQ(SymSearch(table, "zero", &untouched), 0u);
    EXPECT_EQ(untouched, &first);
    SymDelete(table);
}

TEST(SymbolTable, Update)
{
    SymbolTable* table = SymCreate(0);
    int one = 1, two = 2;
    SymInsert(table, "k", &one, 4, sizeof one);
    EXPECT_EQ(SymUpdate(table, "absent", &two, 5, sizeof two), 0);
    // Value 0 and data with size 0 change nothing but the name is still found.
    EXPECT_EQ(SymUpdate(table, "k", &two, 0, 0), 1);
    const void* data = nullptr;
    EXPECT_EQ(SymSearch(table, "k", &data), 4u);
    EXPECT_EQ(*static_cast<const int*>(data), 1);
    EXPECT_EQ(SymUpdate(table, "k", &two, 6, sizeof two), 1);
    EXPECT_EQ(SymSearch(table, "k", &data), 6u);
    EXPECT_EQ(*static_cast<const int*>(data), 2);
    EXPECT_EQ(SymUpdate(table, "k", nullptr, 0, 0), 1);
    SymSearch(table, "k", &data);
    EXPECT_EQ(data, nullptr);
    SymDelete(table);
}

} // namespace

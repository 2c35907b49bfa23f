// The symbol table: owns a copy of each name and of an opaque data block, keeps a
// non-zero value per name, and keeps all its symbols in insertion order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hashtab.h"
#include "list.h"

struct Symbol : ListNode {
    std::uint32_t value = 0;                // never 0: 0 means the name is absent
    std::string name;                       // a private copy
    std::vector<unsigned char> data;        // a private copy; empty when none was given
};

struct SymbolTable {
    HashTable* hash = nullptr;
    List symbols;
};

// A new empty table with `size` buckets (0 means 131).
SymbolTable* SymCreate(std::uint32_t size);
// Frees everything the table owns.
void SymDelete(SymbolTable* table);
// The symbol's value, or 0 when the name is absent. When found and `data` is not null,
// the table's copy of the data block (null when there is none) is stored through it.
std::uint32_t SymSearch(const SymbolTable* table, const char* name, const void** data);
// Adds a symbol; ignored when value is 0 or when data and size disagree.
void SymInsert(SymbolTable* table, const char* name, const void* data, std::uint32_t value, std::size_t size);
// Replaces the value (unless 0) and the data of a present name; 1 when found.
int SymUpdate(SymbolTable* table, const char* name, const void* data, std::uint32_t value, std::size_t size);
// Removes the name's visible symbol; 1 when one was removed.
int SymRemove(SymbolTable* table, const char* name);

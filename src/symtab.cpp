#include "symtab.h"

#include <cstring>

SymbolTable* SymCreate(std::uint32_t size)
{
    auto* table = new SymbolTable;
    table->hash = HashCreate(size);
    return table;
}

void SymDelete(SymbolTable* table)
{
    if (!table)
        return;
    while (ListNode* node = RemHead(table->symbols))
        delete static_cast<Symbol*>(node);
    HashDelete(table->hash);
    delete table;
}

namespace {

Symbol* Find(const SymbolTable* table, const char* name)
{
    std::uintptr_t value = 0;
    if (!HashSearch(table->hash, name, &value))
        return nullptr;
    return reinterpret_cast<Symbol*>(value);
}

void CopyData(Symbol* symbol, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    symbol->data.assign(bytes, bytes + size);
}

} // namespace

std::uint32_t SymSearch(const SymbolTable* table, const char* name, const void** data)
{
    Symbol* symbol = Find(table, name);
    if (!symbol)
        return 0;
    if (data)
        *data = symbol->data.empty() ? nullptr : symbol->data.data();
    return symbol->value;
}

void SymInsert(SymbolTable* table, const char* name, const void* data, std::uint32_t value, std::size_t size)
{
    if (value == 0)
        return;
    if ((data == nullptr) != (size == 0))
        return;
    auto* symbol = new Symbol;
    symbol->value = value;
    symbol->name = name;
    if (data)
        CopyData(symbol, data, size);
    HashInsert(table->hash, symbol->name.c_str(), reinterpret_cast<std::uintptr_t>(symbol));
    AddTail(table->symbols, symbol);
}

int SymUpdate(SymbolTable* table, const char* name, const void* data, std::uint32_t value, std::size_t size)
{
    Symbol* symbol = Find(table, name);
    if (!symbol)
        return 0;
    if (value != 0)
        symbol->value = value;
    if (data && size == 0)
        return 1;
    symbol->data.clear();
    if (data)
        CopyData(symbol, data, size);
    return 1;
}

int SymRemove(SymbolTable* table, const char* name)
{
    Symbol* symbol = Find(table, name);
    if (!symbol)
        return 0;
    HashRemove(table->hash, name);
    Remove(table->symbols, symbol);
    delete symbol;
    return 1;
}

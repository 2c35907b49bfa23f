#include "args.h"

#include <cstring>

const char ArgEscapeSpec[] = "\\\"";
const char ArgQuoteSpec[] = "\" !\"#$%&'()*<>?@[]^`{|}\t\n\v\f\r";

Arg* ArgCreate(std::string_view name, OptValue value)
{
    auto* arg = new Arg;
    arg->name.assign(name);
    if (value)
        arg->value.emplace(*value);
    return arg;
}

Arg* ArgAddHead(List& list, std::string_view name, OptValue value)
{
    Arg* arg = ArgCreate(name, value);
    AddHead(list, arg);
    return arg;
}

Arg* ArgAddTail(List& list, std::string_view name, OptValue value)
{
    Arg* arg = ArgCreate(name, value);
    AddTail(list, arg);
    return arg;
}

Arg* ArgAddHeadOnce(List& list, std::string_view name, OptValue value)
{
    if (Arg* old = ArgLocateNext(list, name))
        ArgRemove(list, old);
    return ArgAddHead(list, name, value);
}

Arg* ArgAddTailOnce(List& list, std::string_view name, OptValue value)
{
    if (Arg* old = ArgLocateNext(list, name))
        return old;
    return ArgAddTail(list, name, value);
}

Arg* ArgPrepend(List& list, Arg* entry, std::string_view name, OptValue value)
{
    Arg* arg = ArgCreate(name, value);
    Prepend(list, entry, arg);
    return arg;
}

Arg* ArgInsert(List& list, Arg* entry, std::string_view name, OptValue value)
{
    Arg* arg = ArgCreate(name, value);
    Insert(list, entry, arg);
    return arg;
}

void ArgDelete(Arg* entry)
{
    delete entry;
}

void ArgRemove(List& list, Arg* entry)
{
    Remove(list, entry);
    ArgDelete(entry);
}

void ArgRemHead(List& list)
{
    if (ListNode* node = RemHead(list))
        ArgDelete(static_cast<Arg*>(node));
}

void ArgRemTail(List& list)
{
    if (ListNode* node = RemTail(list))
        ArgDelete(static_cast<Arg*>(node));
}

void ArgFreeList(List& list)
{
    while (ListNode* node = RemHead(list))
        ArgDelete(static_cast<Arg*>(node));
}

void ArgDupList(const List& list, List& copy)
{
    NewList(copy);
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        ArgAddTail(copy, arg->name, arg->value ? OptValue(*arg->value) : std::nullopt);
}

namespace {

template <class Match>
Arg* LocateFrom(Arg* arg, Match match)
{
    for (; arg; arg = ArgNext(arg)) {
        if (match(arg->name))
            return arg;
    }
    return nullptr;
}

bool StartsWith(const std::string& name, std::string_view prefix)
{
    return !prefix.empty() && name.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

Arg* ArgLocateNext(const List& start, std::string_view name)
{
    return LocateFrom(ArgFirst(start), [&](const std::string& n) { return n == name; });
}

Arg* ArgLocateNext(const Arg* start, std::string_view name)
{
    return LocateFrom(ArgNext(start), [&](const std::string& n) { return n == name; });
}

Arg* ArgLocateNextOpt(const List& start, std::string_view prefix)
{
    return LocateFrom(ArgFirst(start), [&](const std::string& n) { return StartsWith(n, prefix); });
}

Arg* ArgLocateNextOpt(const Arg* start, std::string_view prefix)
{
    return LocateFrom(ArgNext(start), [&](const std::string& n) { return StartsWith(n, prefix); });
}

Arg* ArgSplit(Arg* start, std::uint32_t count, List& output)
{
    Arg* arg = start;
    while (arg && output.count < count) {
        ArgAddTail(output, arg->name);
        arg = ArgNext(arg);
    }
    return arg;
}

Arg* ArgSplitLength(Arg* start, std::size_t maximum, List& output)
{
    if (!start)
        return nullptr;
    ArgAddTail(output, start->name);
    std::size_t length = start->name.size();
    Arg* arg = ArgNext(start);
    while (arg) {
        length += arg->name.size() + 1;
        if (length > maximum)
            return arg;
        ArgAddTail(output, arg->name);
        arg = ArgNext(arg);
    }
    return nullptr;
}

void ArgSort(List& list, ArgCompare compare)
{
    if (list.count < 2)
        return;
    // The pivot is the entry at position (count + 1) / 2, counting from 1.
    Arg* pivot = ArgFirst(list);
    for (std::uint32_t position = 1; position < (list.count + 1) / 2; ++position)
        pivot = ArgNext(pivot);
    Remove(list, pivot);

    List later;
    Arg* arg = ArgFirst(list);
    while (arg) {
        Arg* next = ArgNext(arg);
        int order = compare(arg->name.c_str(), pivot->name.c_str());
        if (order == 0)
            order = compare(ArgValue(arg) ? ArgValue(arg) : "", ArgValue(pivot) ? ArgValue(pivot) : "");
        if (order > 0) {
            Remove(list, arg);
            AddTail(later, arg);
        }
        arg = next;
    }
    ArgSort(list, compare);
    AddTail(list, pivot);
    ArgSort(later, compare);
    JoinList(list, later);
}

std::size_t ArgListLength(const List& list)
{
    if (list.count == 0)
        return 0;
    std::size_t length = 0;
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        length += arg->name.size() + 1;
    return length - 1;
}

std::string ArgQuote(std::string_view name, const char* escape, const char* quote)
{
    const char e = escape[0];
    const char* escaped = escape + 1;
    const char q = quote[0];
    const char* quoting = quote + 1;
    auto in = [](const char* set, char c) { return c != '\0' && std::strchr(set, c) != nullptr; };

    std::string out;
    out.reserve(name.size() + 2);
    const bool quoted = name.empty() || name.find_first_of(quoting) != std::string_view::npos;
    if (quoted)
        out += q;
    // Runs of escape characters are doubled when a quote character follows them, which
    // is how a child's command-line parser tells them from an escape of the quote.
    const bool counting = in(escaped, q) && !in(escaped, e);
    std::size_t pending = 0;
    for (char c : name) {
        if (c == e && counting) {
            ++pending;
        } else if (pending > 0) {
            if (c == q)
                out.append(pending, e);
            pending = 0;
        }
        if (in(escaped, c))
            out += e;
        out += c;
    }
    if (quoted) {
        out.append(pending, e);
        out += q;
    }
    return out;
}

std::vector<std::string> ArgSplitCommandLine(std::string_view line)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
    std::vector<std::string> words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && blank(line[i]))
            ++i;
        if (i >= n)
            break;
        std::string word;
        bool inQuotes = false;
        while (i < n) {
            char c = line[i];
            if (c == '\\') {
                std::size_t run = 0;
                while (i < n && line[i] == '\\') {
                    ++run;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    word.append(run / 2, '\\');
                    if (run % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                    // An even run leaves the quote to be read as a quote.
                } else {
                    word.append(run, '\\');
                }
            } else if (c == '"') {
                inQuotes = !inQuotes;
                ++i;
            } else if (!inQuotes && blank(c)) {
                break;
            } else {
                word += c;
                ++i;
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

namespace {

void AppendNames(std::vector<std::string>& array, const char* escape, const char* quote, const List& list)
{
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg))
        array.push_back(escape && quote ? ArgQuote(arg->name, escape, quote) : arg->name);
}

void AppendEntries(std::string& out, char separator, const char* escape, const char* quote, const List& list,
                   bool withValues)
{
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg)) {
        if (arg != ArgFirst(list))
            out += separator;
        if (escape && quote) {
            out += ArgQuote(arg->name, escape, quote);
        } else {
            out += arg->name;
            if (withValues && arg->value) {
                out += '=';
                out += *arg->value;
            }
        }
    }
}

} // namespace

std::vector<std::string> ArgList2Array(const char* escape, const char* quote, const List& list)
{
    std::vector<std::string> array;
    array.reserve(list.count);
    AppendNames(array, escape, quote, list);
    return array;
}

std::vector<std::string> ArgLists2Array(const char* escape, const char* quote, std::initializer_list<const List*> lists)
{
    std::vector<std::string> array;
    for (const List* list : lists)
        AppendNames(array, escape, quote, *list);
    return array;
}

std::string ArgList2String(char separator, const char* escape, const char* quote, const List& list)
{
    std::string out;
    AppendEntries(out, separator, escape, quote, list, true);
    return out;
}

std::string ArgLists2String(char separator, const char* escape, const char* quote,
                            std::initializer_list<const List*> lists)
{
    // A separator goes between lists only once something has been written, so empty
    // lists at the front leave no leading separator.
    std::string out;
    bool written = false;
    for (const List* list : lists) {
        if (list->count == 0)
            continue;
        if (written)
            out += separator;
        AppendEntries(out, separator, escape, quote, *list, false);
        written = true;
    }
    return out;
}

// Argument lists: ordered (name, value) entries, and the command-line quoting that
// makes a child process receive exactly the words of a list.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "list.h"

struct Arg : ListNode {
    std::string name;                 // never null
    std::optional<std::string> value; // a second string, or none
};

using OptValue = std::optional<std::string_view>;

// The escape characters of command lines: the escape character (backslash), then the
// characters that must be escaped (the double quote).
extern const char ArgEscapeSpec[];
// The quote characters of command lines: the quote character (double quote), then the
// characters whose presence makes a word need quotes. Besides the characters that mean something
// to a command interpreter it holds every white-space character, so no word is split.
extern const char ArgQuoteSpec[];

// The value of an entry as a C string, or null when it has none.
inline const char* ArgValue(const Arg* arg) { return arg->value ? arg->value->c_str() : nullptr; }

// The first entry of a list and the one after an entry, or null at the end.
inline Arg* ArgFirst(const List& list) { return ListFirst<Arg>(list); }
inline Arg* ArgNext(const Arg* arg) { return ListNext(arg); }
inline Arg* ArgLast(const List& list) { return ListLast<Arg>(list); }

Arg* ArgCreate(std::string_view name, OptValue value = std::nullopt);
Arg* ArgAddHead(List& list, std::string_view name, OptValue value = std::nullopt);
Arg* ArgAddTail(List& list, std::string_view name, OptValue value = std::nullopt);
// Removes the first entry of that exact name, then adds a new one at the front.
Arg* ArgAddHeadOnce(List& list, std::string_view name, OptValue value = std::nullopt);
// Returns the entry of that exact name unchanged, or adds a new one at the end.
Arg* ArgAddTailOnce(List& list, std::string_view name, OptValue value = std::nullopt);
// A new entry before `entry` (null: at the end).
Arg* ArgPrepend(List& list, Arg* entry, std::string_view name, OptValue value = std::nullopt);
// A new entry after `entry` (null: at the front).
Arg* ArgInsert(List& list, Arg* entry, std::string_view name, OptValue value = std::nullopt);
// Frees an entry that is already unlinked.
void ArgDelete(Arg* entry);
void ArgRemove(List& list, Arg* entry);
void ArgRemHead(List& list);
void ArgRemTail(List& list);
void ArgFreeList(List& list);
// Appends copies of every entry of `list` to `copy` (which is made empty first).
void ArgDupList(const List& list, List& copy);

// The first entry after the start (a list: from its first entry; an entry: from the one
// after it) whose name equals `name`, or null.
Arg* ArgLocateNext(const List& start, std::string_view name);
Arg* ArgLocateNext(const Arg* start, std::string_view name);
// The same for names that begin with `prefix`; an empty prefix matches nothing.
Arg* ArgLocateNextOpt(const List& start, std::string_view prefix);
Arg* ArgLocateNextOpt(const Arg* start, std::string_view prefix);

// Appends the names from `start` on to `output` until it holds `count` entries;
// returns the first entry not taken, or null. A null start appends nothing.
Arg* ArgSplit(Arg* start, std::uint32_t count, List& output);
// Appends names from `start` on while the joined length stays within `maximum` (the
// first is always taken); returns the first entry not taken, or null.
Arg* ArgSplitLength(Arg* start, std::size_t maximum, List& output);

using ArgCompare = int (*)(const char*, const char*);
// Sorts by name, then by value (none counts as empty), with the given comparison.
void ArgSort(List& list, ArgCompare compare);

// Length of all names joined with one separator; 0 for an empty list.
std::size_t ArgListLength(const List& list);

// One name quoted with the given specifications.
std::string ArgQuote(std::string_view name, const char* escape, const char* quote);
// The words of a command line made by quoting with the shared specifications: the
// inverse of ArgQuote joined with blanks.
std::vector<std::string> ArgSplitCommandLine(std::string_view line);

// The names, quoted when both specifications are given.
std::vector<std::string> ArgList2Array(const char* escape, const char* quote, const List& list);
std::vector<std::string> ArgLists2Array(const char* escape, const char* quote, std::initializer_list<const List*> lists);
// The entries joined with `separator`. Quoted names with both specifications; without
// them each entry is its name followed by "=" and its value when it has one.
std::string ArgList2String(char separator, const char* escape, const char* quote, const List& list);
// The lists joined; without specifications only names are written. A separator goes
// before each list after the first non-empty one.
std::string ArgLists2String(char separator, const char* escape, const char* quote,
                            std::initializer_list<const List*> lists);

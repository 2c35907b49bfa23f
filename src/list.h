// The doubly linked list whose header doubles as its two sentinel nodes.
//
// A record kept in a list derives from ListNode, so its links come first. The header's
// head/tail pair is the node before the first element and its tail/tailpred pair is
// the node after the last; a walk starts at `head` and stops at the node whose `succ`
// is null. The list never allocates or frees a node: nodes belong to the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

struct ListNode {
    ListNode* succ = nullptr;
    ListNode* pred = nullptr;
};

struct List {
    ListNode* head;     // first node, or the address of `tail` when empty
    ListNode* tail;     // always null: what the last node's succ points at
    ListNode* tailpred; // last node, or the header itself when empty
    std::uint32_t count;

    List();
    // The sentinels point into the header itself, so a list never moves.
    List(const List&) = delete;
    List& operator=(const List&) = delete;

    bool empty() const { return count == 0; }
};

static_assert(offsetof(List, tail) == offsetof(List, head) + sizeof(ListNode*));
static_assert(offsetof(List, tailpred) == offsetof(List, tail) + sizeof(ListNode*));
static_assert(offsetof(ListNode, pred) == offsetof(ListNode, succ) + sizeof(ListNode*));

// The header seen as the node before the first element, and as the node after the last.
inline ListNode* HeadSentinel(List& list) { return reinterpret_cast<ListNode*>(&list.head); }
inline ListNode* TailSentinel(List& list) { return reinterpret_cast<ListNode*>(&list.tail); }

void NewList(List& list);
void AddHead(List& list, ListNode* node);
void AddTail(List& list, ListNode* node);
// Inserts the node before `reference`; with null, at the end.
void Prepend(List& list, ListNode* reference, ListNode* node);
// Inserts the node after `reference`; with null, at the front.
void Insert(List& list, ListNode* reference, ListNode* node);
// Unlinks the node, which must be in the list.
void Remove(List& list, ListNode* node);
ListNode* RemHead(List& list);
ListNode* RemTail(List& list);
// Moves all nodes of `source` to the end of `destination`, in order.
void JoinList(List& destination, List& source);
void JoinLists(List& destination, std::initializer_list<List*> sources);

// The first and the next node of a list as records of type T, or null at the end.
template <class T>
T* ListFirst(const List& list)
{
    return list.head->succ ? static_cast<T*>(list.head) : nullptr;
}

template <class T>
T* ListNext(const T* node)
{
    ListNode* next = node->succ;
    return next->succ ? static_cast<T*>(next) : nullptr;
}

template <class T>
T* ListLast(const List& list)
{
    return list.count ? static_cast<T*>(list.tailpred) : nullptr;
}

template <class T>
T* ListPrev(const T* node)
{
    ListNode* prev = node->pred;
    return prev->pred ? static_cast<T*>(prev) : nullptr;
}

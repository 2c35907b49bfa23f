#include "list.h"

List::List()
{
    NewList(*this);
}

void NewList(List& list)
{
    list.head = TailSentinel(list);
    list.tail = nullptr;
    list.tailpred = HeadSentinel(list);
    list.count = 0;
}

namespace {

// Links `node` between two adjacent nodes (either may be a sentinel).
void LinkBetween(ListNode* before, ListNode* after, ListNode* node)
{
    node->pred = before;
    node->succ = after;
    before->succ = node;
    after->pred = node;
}

} // namespace

void AddHead(List& list, ListNode* node)
{
    LinkBetween(HeadSentinel(list), list.head, node);
    ++list.count;
}

void AddTail(List& list, ListNode* node)
{
    LinkBetween(list.tailpred, TailSentinel(list), node);
    ++list.count;
}

void Prepend(List& list, ListNode* reference, ListNode* node)
{
    if (!reference) {
        AddTail(list, node);
        return;
    }
    LinkBetween(reference->pred, reference, node);
    ++list.count;
}

void Insert(List& list, ListNode* reference, ListNode* node)
{
    if (!reference) {
        AddHead(list, node);
        return;
    }
    LinkBetween(reference, reference->succ, node);
    ++list.count;
}

void Remove(List& list, ListNode* node)
{
    node->pred->succ = node->succ;
    node->succ->pred = node->pred;
    node->succ = nullptr;
    node->pred = nullptr;
    --list.count;
}

ListNode* RemHead(List& list)
{
    if (list.count == 0)
        return nullptr;
    ListNode* node = list.head;
    Remove(list, node);
    return node;
}

ListNode* RemTail(List& list)
{
    if (list.count == 0)
        return nullptr;
    ListNode* node = list.tailpred;
    Remove(list, node);
    return node;
}

void JoinList(List& destination, List& source)
{
    if (source.count == 0)
        return;
    ListNode* first = source.head;
    ListNode* last = source.tailpred;
    if (destination.count == 0) {
        destination.head = first;
        destination.tailpred = last;
        destination.count = source.count;
        first->pred = HeadSentinel(destination);
    } else {
        first->pred = destination.tailpred;
        destination.tailpred->succ = first;
        destination.tailpred = last;
        destination.count += source.count;
    }
    last->succ = TailSentinel(destination);
    NewList(source);
}

void JoinLists(List& destination, std::initializer_list<List*> sources)
{
    for (List* source : sources)
        JoinList(destination, *source);
}

// The dependency graph: nodes, steps, lookup, navigation and the out-of-date test.
#include "deps.h"

#include <cctype>
#include <unordered_map>
#include <vector>

#include "cctrvx/globals.h"
#include "error.h"
#include "file_system.h"

const char* const StageNames[5] = {"compilation", "intermediate compilation", "assembler preprocessing", "assembly",
                                   "linking"};

List StageDeps[STAGE_COUNT];
std::size_t ChildOffset = 0;
std::size_t ParentOffset = 0;

namespace {

// Names are compared without regard to case. Each stage keeps an index from the folded
// name to its nodes in creation order, so lookups stay fast for many inputs.
std::unordered_map<std::string, std::vector<Node*>> StageIndex[STAGE_COUNT];

void IndexAdd(Node* node)
{
    StageIndex[node->stage][FoldCase(node->name)].push_back(node);
}

void IndexRemove(Node* node)
{
    auto entry = StageIndex[node->stage].find(FoldCase(node->name));
    if (entry == StageIndex[node->stage].end())
        return;
    std::vector<Node*>& nodes = entry->second;
    for (auto it = nodes.begin(); it != nodes.end(); ++it) {
        if (*it == node) {
            nodes.erase(it);
            break;
        }
    }
    if (nodes.empty())
        StageIndex[node->stage].erase(entry);
}

Dep* FromChildSide(ListNode* link)
{
    return reinterpret_cast<Dep*>(reinterpret_cast<char*>(link) - ChildOffset);
}

Dep* FromParentSide(ListNode* link)
{
    return reinterpret_cast<Dep*>(reinterpret_cast<char*>(link) - ParentOffset);
}

bool IsLinkItem(std::string_view name)
{
    return !name.empty() && (name[0] == '-' || name[0] == '+');
}

} // namespace

void GraphCreate()
{
    for (List& stage : StageDeps)
        NewList(stage);
    for (auto& index : StageIndex)
        index.clear();
    ChildOffset = offsetof(Dep, childSide);
    ParentOffset = offsetof(Dep, parentSide);
}

void GraphDelete()
{
    for (List& stage : StageDeps) {
        while (Node* node = ListFirst<Node>(stage))
            NodeDelete(node);
    }
}

Node* NodeCreate(std::string_view name, int kind, int stage, int flags)
{
    auto* node = new Node;
    AddTail(StageDeps[stage], node);
    node->name.assign(name);
    node->kind = kind;
    node->stage = stage;
    node->flags = flags;
    node->time = IsLinkItem(name) || (flags & NODE_TEMPORARY) ? 0 : FileTime(name);
    if (node->time != 0)
        node->flags |= NODE_EXISTS;
    IndexAdd(node);
    return node;
}

void NodeDelete(Node* node)
{
    while (ListNode* link = node->children.head->succ ? node->children.head : nullptr)
        DepDelete(FromChildSide(link));
    while (ListNode* link = node->parents.head->succ ? node->parents.head : nullptr)
        DepDelete(FromParentSide(link));
    IndexRemove(node);
    Remove(StageDeps[node->stage], node);
    delete node;
}

Node* NodeLocate(std::string_view name, int stage)
{
    const std::string folded = FoldCase(name);
    const int first = stage == STAGE_ALL ? 0 : stage;
    const int last = stage == STAGE_ALL ? STAGE_COUNT - 1 : stage;
    for (int s = first; s <= last; ++s) {
        auto entry = StageIndex[s].find(folded);
        if (entry != StageIndex[s].end() && !entry->second.empty())
            return entry->second.front();
    }
    return nullptr;
}

void NodeRename(Node* node, std::string_view name)
{
    IndexRemove(node);
    node->name.assign(name);
    IndexAdd(node);
}

Node* NodeParent(const Node* node, ListNode*& iterator)
{
    ListNode* next = iterator ? iterator->succ : node->parents.head;
    if (!next || !next->succ) {
        iterator = nullptr;
        return nullptr;
    }
    iterator = next;
    return FromParentSide(next)->parent;
}

Node* NodeChild(const Node* node, ListNode*& iterator)
{
    ListNode* next = iterator ? iterator->succ : node->children.head;
    if (!next || !next->succ) {
        iterator = nullptr;
        return nullptr;
    }
    iterator = next;
    return FromChildSide(next)->child;
}

Node* NodeParentExt(Node* node, int kind)
{
    while (node) {
        if (node->kind == kind)
            return node;
        ListNode* iterator = nullptr;
        node = NodeParent(node, iterator);
    }
    return nullptr;
}

Node* NodeChildExt(Node* node, int kind)
{
    while (node) {
        if (node->kind == kind)
            return node;
        ListNode* iterator = nullptr;
        node = NodeChild(node, iterator);
    }
    return nullptr;
}

int NodeRequired(Node* node)
{
    int required = 0;
    ListNode* iterator = nullptr;
    while (Node* parent = NodeParent(node, iterator)) {
        // A missing intermediate file counts as being as old as the file made from it.
        const bool lent = !(parent->flags & NODE_EXISTS);
        if (lent)
            parent->time = node->time;
        if (NodeRequired(parent))
            required = 1;
        else if (parent->parents.count == 0 && node->time - parent->time < 0)
            required = 1;
        if (lent)
            parent->time = 0;
    }
    if (!required && (node->flags & NODE_EXISTS)) {
        while (ListNode* link = node->parents.head->succ ? node->parents.head : nullptr)
            DepDelete(FromParentSide(link));
    }
    return required;
}

void NodeMarkRequired(Node* node)
{
    node->flags |= NODE_REQUIRED;
    ListNode* iterator = nullptr;
    while (Node* parent = NodeParent(node, iterator)) {
        if (!(parent->flags & NODE_REQUIRED))
            NodeMarkRequired(parent);
    }
}

Dep* DepCreate(Node* parent, Node* child)
{
    auto* dep = new Dep;
    dep->parent = parent;
    dep->child = child;
    AddTail(parent->children, &dep->childSide);
    AddTail(child->parents, &dep->parentSide);
    return dep;
}

void DepDelete(Dep* dep)
{
    Remove(dep->parent->children, &dep->childSide);
    Remove(dep->child->parents, &dep->parentSide);
    delete dep;
}

int DepExists(const Node* parent, const Node* child)
{
    ListNode* iterator = nullptr;
    while (Node* candidate = NodeChild(parent, iterator)) {
        if (candidate == child)
            return 1;
    }
    return 0;
}

// The dependency graph of one run: files at the stages where they are processed, joined
// by the steps that make one file from another; its construction from the inputs, its
// pruning to what is out of date, and its two read-only views.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "list.h"

enum Stage : int {
    STAGE_COMPILE = 0,
    STAGE_INTERMEDIATE = 1,
    STAGE_ASM_PREPROC = 2,
    STAGE_ASSEMBLE = 3,
    STAGE_LINK = 4,
    STAGE_PRODUCT = 5,
    STAGE_ALL = 6, // for NodeLocate: every stage
};
constexpr int STAGE_COUNT = 6;

enum NodeFlag : int {
    NODE_TEMPORARY = 1,
    NODE_INTERMEDIATE = 2,
    NODE_REPOSITORY = 4,
    NODE_EXISTS = 8,
    NODE_REQUIRED = 16,
    NODE_PROCESSED = 32,
};

// The names of stages 0 to 4.
extern const char* const StageNames[5];

struct Node : ListNode {
    List parents;     // Deps to the prerequisites, in creation order
    List children;    // Deps to what is made from it, in creation order
    std::string name; // a file, or a link item ("-lc", "-munch")
    int kind = 0;
    long long time = 0; // modification time, 0 when missing or not looked at
    int stage = 0;
    int flags = 0;
};

// One step: `child` is made from `parent`. A Dep is in the parent's children list (by
// its child-side links) and in the child's parents list (by its parent-side links).
struct Dep {
    ListNode childSide;
    ListNode parentSide;
    Node* parent = nullptr;
    Node* child = nullptr;
};

// The nodes of each stage, in creation order.
extern List StageDeps[STAGE_COUNT];
// Where each set of links lies within a Dep.
extern std::size_t ChildOffset;
extern std::size_t ParentOffset;

void GraphCreate();
void GraphDelete();
Node* NodeCreate(std::string_view name, int kind, int stage, int flags);
void NodeDelete(Node* node);
// The first node of that name (ignoring case) in a stage, or in stages 0 to 5 in order.
Node* NodeLocate(std::string_view name, int stage);
// Gives a node a new name.
void NodeRename(Node* node, std::string_view name);
// The next parent (child) of a node: the iterator starts null; at the end null is
// returned and the iterator starts over.
Node* NodeParent(const Node* node, ListNode*& iterator);
Node* NodeChild(const Node* node, ListNode*& iterator);
// From the node itself along first parents (children): the first node of the kind.
Node* NodeParentExt(Node* node, int kind);
Node* NodeChildExt(Node* node, int kind);
// The out-of-date test; prunes the parents of an up-to-date existing node.
int NodeRequired(Node* node);
// Marks the node and all its ancestors as required.
void NodeMarkRequired(Node* node);
Dep* DepCreate(Node* parent, Node* child);
void DepDelete(Dep* dep);
int DepExists(const Node* parent, const Node* child);

// Construction.
void GraphBuild(const List& inputs, int outputKind);
void BuildNodes(const std::string& input, int outputKind);
void GraphDepend(int outputKind);
void GraphBuildTemplates(Node* source, const List& files, int outputKind);
void BuildTemplateNodes(Node* source, const std::string& file, int outputKind);
void BuildMunchNodes(Node* munch, const std::string& munchSource);
// Appends the names of a stage's files (and, with `withTemplates`, the instantiation
// objects recorded for each object) to a list.
void GraphStage(int stage, bool withTemplates, List& list);

// Views.
void GraphDisplay();
void Makefile();
void MakeDeps(const Node* node, std::string& prerequisites);

// The two views of the graph: the display of every node on standard error, and makefile
// dependency rules on standard output.
#include <cstdio>
#include <ctime>

#include "deps.h"

void GraphDisplay()
{
    static const std::pair<int, const char*> flagWords[] = {
        {NODE_TEMPORARY, " temporary"}, {NODE_INTERMEDIATE, " intermediate"}, {NODE_REPOSITORY, " repository"},
        {NODE_EXISTS, " exists"},       {NODE_REQUIRED, " required"},         {NODE_PROCESSED, " processed"},
    };
    for (int stage = 0; stage < STAGE_COUNT; ++stage) {
        if (stage < STAGE_PRODUCT)
            std::fprintf(stderr, "%s stage:\n", StageNames[stage]);
        else
            std::fputs("product:\n", stderr);
        for (Node* node = ListFirst<Node>(StageDeps[stage]); node; node = ListNext(node)) {
            std::fprintf(stderr, "    `%s':", node->name.c_str());
            if (node->time != 0) {
                const std::time_t time = static_cast<std::time_t>(node->time);
                if (const char* text = std::ctime(&time))
                    std::fprintf(stderr, " [%.24s]", text);
            }
            for (const auto& [flag, word] : flagWords) {
                if (node->flags & flag)
                    std::fputs(word, stderr);
            }
            std::fputs("\n\tparents:", stderr);
            ListNode* iterator = nullptr;
            while (Node* parent = NodeParent(node, iterator))
                std::fprintf(stderr, " `%s'", parent->name.c_str());
            std::fputs("\n\tchildren:", stderr);
            while (Node* child = NodeChild(node, iterator))
                std::fprintf(stderr, " `%s'", child->name.c_str());
            std::fputc('\n', stderr);
        }
    }
}

void MakeDeps(const Node* node, std::string& prerequisites)
{
    ListNode* iterator = nullptr;
    while (Node* parent = NodeParent(node, iterator)) {
        if (parent->flags & NODE_TEMPORARY) {
            // Temporary files are looked through.
            MakeDeps(parent, prerequisites);
        } else if (!(parent->flags & NODE_REPOSITORY) && !parent->name.empty() && parent->name[0] != '-' &&
                   parent->name[0] != '+') {
            prerequisites += ' ';
            prerequisites += parent->name;
        }
    }
}

void Makefile()
{
    if (StageDeps[STAGE_PRODUCT].count == 0)
        return;
    for (int stage = STAGE_PRODUCT; stage >= 1; --stage) {
        for (Node* node = ListFirst<Node>(StageDeps[stage]); node; node = ListNext(node)) {
            if (node->flags & (NODE_TEMPORARY | NODE_REPOSITORY))
                continue;
            std::string prerequisites;
            MakeDeps(node, prerequisites);
            if (!prerequisites.empty())
                std::fprintf(stdout, "%s:%s\n", node->name.c_str(), prerequisites.c_str());
        }
    }
}

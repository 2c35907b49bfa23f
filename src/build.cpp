// Build execution: each chain of tools from a source to its object, then the prelinker,
// the munch object, and the product. Every file being written is on the deletion list
// until it is a wanted result, so a failed or interrupted run leaves no partial output.
#include "build.h"

#include <cstdio>

#include "cctrvx/globals.h"
#include "args.h"
#include "deps.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "file_temp.h"
#include "host/host.h"
#include "system.h"

namespace {

Node* FirstChild(Node* node)
{
    ListNode* iterator = nullptr;
    return NodeChild(node, iterator);
}

bool Has(const Node* node, int flag)
{
    return (node->flags & flag) != 0;
}

// A temporary output gets a free name and goes on the deletion list; any other output
// goes on it while it is being written.
void ClaimOutput(Node* output)
{
    if (Has(output, NODE_TEMPORARY) && !Has(output, NODE_REPOSITORY)) {
        std::string name = output->name;
        CheckTempFile(name);
        if (name != output->name)
            NodeRename(output, name);
    } else if (!DryRun) {
        DelFileAdd(output->name);
    }
}

void Compile(Node* source, Node* output, Node*& object)
{
    object = nullptr;
    if (output && (UseInstFiles || IPAMode)) {
        object = NodeChildExt(output, FILE_OBJECT);
        if (object && !DryRun)
            DelFileAdd(object->name);
    }
    const int status = InvokeCompiler(source->name, output ? &output->name : nullptr, object ? &object->name : nullptr);
    if (object && !DryRun) {
        List entries;
        const int updated = UpdateTemplateFile(source->name, object->name, entries);
        if (TemplateRepository)
            GraphBuildTemplates(source, entries, Production);
        ArgFreeList(entries);
        if (status == 0 && updated != 0)
            Error(LEVEL_FATAL, "Instantiation file update failed");
    }
    if (status != 0)
        Error(LEVEL_FATAL, "Compilation failed");
}

// Deletes a temporary link input with the companion files of an object.
void DeleteLinkInput(const Node* node)
{
    FileRemove(node->name);
    if (node->kind == FILE_OBJECT) {
        if (UseInstFiles)
            FileRemove(InstantiationFile(node->name, ".ii"));
        if (UseInstFiles == 2)
            FileRemove(InstantiationFile(node->name, ".ti"));
        if (IPAMode)
            FileRemove(InstantiationFile(node->name, ".opa"));
        if (IPAMode == 2)
            FileRemove(InstantiationFile(node->name, ".ipa"));
    }
    DelFileRemove(node->name);
}

void Prelink()
{
    Node* munch = NodeLocate("-munch", STAGE_LINK);
    std::string munchSource;
    if (munch) {
        munchSource = FileTarget("munch", "c", KeepTemps);
        if (KeepTemps)
            DelFileAdd(munchSource);
        else
            CheckTempFile(munchSource);
        ArgAddTail(ArgLists[LIST_PRELINKER], "-M");
        ArgAddTail(ArgLists[LIST_PRELINKER], munchSource);
    }
    List inputs;
    GraphStage(STAGE_LINK, false, inputs);
    if (Arg* item = ArgLocateNext(inputs, "-munch"))
        ArgRemove(inputs, item);
    if (inputs.count > 0 && InvokePrelinker(inputs) != 0)
        Error(LEVEL_FATAL, "Prelink failed");
    ArgFreeList(inputs);
    if (munch) {
        if (KeepTemps)
            DelFileRemove(munchSource);
        BuildMunchNodes(munch, munchSource);
        BuildObject(ListLast<Node>(StageDeps[STAGE_COMPILE]));
    }
}

void MakeProduct()
{
    List inputs;
    GraphStage(STAGE_LINK, TemplateRepository && !DryRun, inputs);
    Node* first = ListFirst<Node>(StageDeps[STAGE_LINK]);
    std::string product;
    Node* productNode = nullptr;
    if (first) {
        productNode = DepLink ? first : FirstChild(first);
        if (productNode)
            product = productNode->name;
    }
    // A link of virtual link files alone names its product after the output file.
    if (product.empty())
        product = std::string(FileLocs[LOC_OUTPUT].view());
    if (!DryRun && !DepLink && !product.empty())
        DelFileAdd(product);

    switch (Production) {
    case OUTPUT_LIBRARY:
        if (InvokeArchiver(inputs, product) != 0)
            Error(LEVEL_FATAL, "Library builder failed");
        break;
    case OUTPUT_DLL:
        if (InvokeLibBuilder(inputs, product) != 0)
            Error(LEVEL_FATAL, "Dynamic link library builder failed");
        break;
    case OUTPUT_RELOCATABLE:
    case OUTPUT_EXECUTABLE: {
        // Without a product (dependency-only linking) the memory initializer would write
        // over the user's first input: it runs only when there is a product to make.
        const bool memoryInit = PerformMemInit && !DepLink;
        std::string linked = product;
        if (memoryInit) {
            linked = FileTarget(product, "dxe", 0);
            CheckTempFile(linked);
        }
        JoinList(inputs, ArgLists[LIST_VIRT_LINK]);
        if (InvokeLinker(inputs, linked) != 0)
            Error(LEVEL_FATAL, "Link failed");
        if (memoryInit) {
            if (InvokeMemInit(linked, product) != 0)
                Error(LEVEL_FATAL, "Memory initializer failed");
            FileRemove(linked);
            DelFileRemove(linked);
        }
        break;
    }
    default:
        break;
    }
    DelFileRemove(product);
    if (productNode)
        productNode->flags |= NODE_PROCESSED;
    ArgFreeList(inputs);
}

} // namespace

int BuildObject(Node* node)
{
    Node* object = nullptr;
    bool objectFound = false;
    while (node && node->stage != STAGE_LINK && node->stage != STAGE_PRODUCT) {
        Node* output = FirstChild(node);
        if (output)
            ClaimOutput(output);
        switch (node->stage) {
        case STAGE_COMPILE: {
            Node* found = nullptr;
            Compile(node, output, found);
            if (found) {
                object = found;
                objectFound = true;
            }
            break;
        }
        case STAGE_INTERMEDIATE:
            if (InvokeCCompiler(node->name, output->name) != 0)
                Error(LEVEL_FATAL, "Intermediate compilation failed");
            break;
        case STAGE_ASM_PREPROC:
            if (InvokeAsmPreproc(node->name, output->name) != 0)
                Error(LEVEL_FATAL, "Assembler preprocessor failed");
            break;
        case STAGE_ASSEMBLE:
            if (InvokeAssembler(node->name, output->name) != 0)
                Error(LEVEL_FATAL, "Assembler failed");
            break;
        default:
            break;
        }
        // A wanted result leaves the deletion list; a used temporary goes now.
        if (output && !Has(output, NODE_TEMPORARY))
            DelFileRemove(output->name);
        if (Has(node, NODE_TEMPORARY)) {
            FileRemove(node->name);
            DelFileRemove(node->name);
        }
        node->flags |= NODE_PROCESSED;
        node = output;
    }
    if (PostprocObj && node && node->kind == FILE_OBJECT) {
        const bool temporary = Has(node, NODE_TEMPORARY);
        if (!DryRun && !temporary)
            DelFileAdd(node->name);
        if (InvokeObjPostproc(node->name) != 0)
            Error(LEVEL_FATAL, "Object postprocessor failed");
        if (!temporary)
            DelFileRemove(node->name);
    }
    if (objectFound)
        DelFileRemove(object->name);
    if (node)
        node->flags |= NODE_PROCESSED;
    return 0;
}

namespace {

// Chains run as parallel jobs when asked for and the host can run jobs, except where a
// chain changes the graph (template instantiation files) or talks to the user (the editor).
bool Parallel()
{
    return ParallelMax != -1 && !TemplateRepository && !EditFiles && HostJobsSupported();
}

// A job cannot tell the driver of a temporary renamed on the way, so the temporaries of a
// chain get their names before the job starts.
void ClaimChain(Node* node)
{
    for (Node* output = FirstChild(node); output; output = FirstChild(output)) {
        if (Has(output, NODE_TEMPORARY) && !Has(output, NODE_REPOSITORY)) {
            std::string name = output->name;
            CheckTempFile(name);
            if (name != output->name)
                NodeRename(output, name);
        }
        if (output->stage == STAGE_LINK || output->stage == STAGE_PRODUCT)
            break;
    }
}

// A failed job ends the run once the running jobs have finished; its own message has
// been written with its output.
void WaitForAnyJob()
{
    int status = 0;
    if (WaitParallelAny(&status)) {
        WaitParallelAll();
        HostExit(1);
    }
}

} // namespace

void BuildStages(Node* node, bool announce)
{
    if (announce && !Has(node, NODE_REPOSITORY)) {
        if (node->stage == STAGE_COMPILE || node->stage == STAGE_INTERMEDIATE)
            std::fprintf(stderr, "%s: Compiling %s\n", ProgName, node->name.c_str());
        else if (node->stage == STAGE_ASM_PREPROC || node->stage == STAGE_ASSEMBLE)
            std::fprintf(stderr, "%s: Assembling %s\n", ProgName, node->name.c_str());
    }
    if (!Parallel()) {
        BuildObject(node);
        return;
    }
    ClaimChain(node);
    while (RunParallel(BuildObject, node) == -1)
        WaitForAnyJob();
    // The job processes the chain up to the link stage.
    for (Node* step = node; step && step->stage != STAGE_LINK && step->stage != STAGE_PRODUCT;
         step = FirstChild(step))
        step->flags |= NODE_PROCESSED;
}

void Build()
{
    const bool several = StageDeps[STAGE_COMPILE].count > 1;
    for (Node* node = ListFirst<Node>(StageDeps[STAGE_COMPILE]); node; node = ListNext(node))
        BuildStages(node, several);
    for (int stage = STAGE_INTERMEDIATE; stage <= STAGE_ASSEMBLE; ++stage) {
        int waiting = 0;
        for (Node* node = ListFirst<Node>(StageDeps[stage]); node; node = ListNext(node)) {
            if (!Has(node, NODE_PROCESSED) && !Has(node, NODE_REPOSITORY))
                ++waiting;
        }
        for (Node* node = ListFirst<Node>(StageDeps[stage]); node; node = ListNext(node)) {
            if (!Has(node, NODE_PROCESSED))
                BuildStages(node, waiting > 1);
        }
    }
    while (ParallelProc >= 1)
        WaitForAnyJob();
    for (Node* node = ListFirst<Node>(StageDeps[STAGE_LINK]); node; node = ListNext(node))
        node->flags |= NODE_PROCESSED;
    if (StageDeps[STAGE_LINK].count == 0 && ArgLists[LIST_VIRT_LINK].count == 0)
        return;
    if ((PerformPrelink || IPAMode) && !DepLink)
        Prelink();
    MakeProduct();
    for (Node* node = ListFirst<Node>(StageDeps[STAGE_LINK]); node; node = ListNext(node)) {
        if (Has(node, NODE_TEMPORARY))
            DeleteLinkInput(node);
    }
}

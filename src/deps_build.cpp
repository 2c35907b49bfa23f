// Construction of the graph: the chain of each input from the file to the product,
// pruning to what is out of date, template instantiation files, the munch object, and
// the gathering of a stage's files for a tool.
#include <cctype>

#include "cctrvx/globals.h"
#include "dstring.h"
#include "args.h"
#include "deps.h"
#include "error.h"
#include "file_names.h"
#include "file_system.h"
#include "file_temp.h"
#include "file_template.h"

namespace {

std::string OutputName()
{
    return std::string(FileLocs[LOC_OUTPUT].view());
}

// A product named by the user, or the input's name with the suffix next to the user.
std::string ProductName(const std::string& input, const char* suffix)
{
    const std::string output = OutputName();
    return output.empty() ? FileTarget(input, suffix, 1) : output;
}

// An intermediate file: a temporary, or kept next to the user with -save-temps.
std::string IntermediateName(const std::string& input, const char* suffix)
{
    return FileTarget(input, suffix, KeepTemps ? 1 : 0);
}

int IntermediateFlags()
{
    return KeepTemps ? NODE_INTERMEDIATE : NODE_TEMPORARY | NODE_INTERMEDIATE;
}

// Two steps would write or consume the same file at the same stage.
void ClashCheck(const std::string& name, int stage)
{
    if (NodeLocate(name, stage))
        Error(LEVEL_FATAL, "File `%s' will be overwritten", name.c_str());
}

// The product of a link-type output: one node shared by all inputs.
Node* Product(const std::string& name, int kind)
{
    if (Node* product = NodeLocate(name, STAGE_PRODUCT))
        return product;
    return NodeCreate(name, kind, STAGE_PRODUCT, 0);
}

Node* Made(Node* from, const std::string& name, int kind, int stage, int flags)
{
    Node* node = NodeCreate(name, kind, stage, flags);
    DepCreate(from, node);
    return node;
}

// The compiler's output on the way to an object: intermediate C for the system C
// compiler, or assembler source (preprocessed first when asked). Returns the last node.
Node* CompilerOutput(Node* current, const std::string& input, bool intermediateC)
{
    if (intermediateC) {
        const std::string name = IntermediateName(input, "ic");
        ClashCheck(name, STAGE_INTERMEDIATE);
        return Made(current, name, FILE_INTERMEDIATE, STAGE_INTERMEDIATE, IntermediateFlags());
    }
    return current;
}

Node* AssemblerOutput(Node* current, const std::string& input)
{
    if (PreprocAsm) {
        const std::string name = IntermediateName(input, "s");
        ClashCheck(name, STAGE_ASM_PREPROC);
        Node* preprocessed = Made(current, name, FILE_ASSEMBLER, STAGE_ASM_PREPROC, IntermediateFlags());
        // The source between the two assembler steps is always a temporary.
        return Made(preprocessed, FileTarget(input, "s", 0), FILE_ASSEMBLER, STAGE_ASSEMBLE,
                    NODE_TEMPORARY | NODE_INTERMEDIATE);
    }
    const std::string name = IntermediateName(input, "s");
    ClashCheck(name, STAGE_ASSEMBLE);
    return Made(current, name, FILE_ASSEMBLER, STAGE_ASSEMBLE, IntermediateFlags());
}

void LinkToProduct(Node* link, int outputKind, int fromStep);

// Step 6: the object made from the current node.
void ObjectOf(Node* current, const std::string& input, int outputKind)
{
    if (outputKind == OUTPUT_OBJECT) {
        const std::string name = ProductName(input, "doj");
        ClashCheck(name, STAGE_PRODUCT);
        Made(current, name, FILE_OBJECT, STAGE_PRODUCT, 0);
        return;
    }
    const std::string name = IntermediateName(input, "doj");
    ClashCheck(name, STAGE_LINK);
    if (outputKind == OUTPUT_RELOCATABLE && EqualsIgnoringCase(name, OutputName()))
        Error(LEVEL_FATAL, "File `%s' will be overwritten", name.c_str());
    Node* link = Made(current, name, FILE_OBJECT, STAGE_LINK, IntermediateFlags());
    LinkToProduct(link, outputKind, 7);
}

// Steps 7b to 9c: the link-stage node goes into the product that the output kind makes.
void LinkToProduct(Node* link, int outputKind, int fromStep)
{
    const std::string output = OutputName();
    if (fromStep <= 7 && outputKind == OUTPUT_LIBRARY) {
        if (output.empty())
            Error(LEVEL_FATAL, "Missing library target");
        DepCreate(link, Product(output, FILE_LIBRARY));
        return;
    }
    if (fromStep <= 8 && outputKind == OUTPUT_RELOCATABLE) {
        if (output.empty())
            Error(LEVEL_FATAL, "Missing relocatable object file target");
        ClashCheck(output, STAGE_LINK);
        DepCreate(link, Product(output, FILE_OBJECT));
        return;
    }
    if (outputKind == OUTPUT_DLL) {
        if (output.empty())
            Error(LEVEL_FATAL, "Missing dynamic link library target");
        DepCreate(link, Product(output, FILE_DLL));
        return;
    }
    if (output.empty()) {
        if (DepLink)
            return;
        Error(LEVEL_FATAL, "Missing executable file target");
    }
    DepCreate(link, Product(output, FILE_EXECUTABLE));
}

// What the compiler's output becomes: the assembler source the user asked for, or the
// object (through the assembler when the compiler writes assembler source).
void FromCompilerOutput(Node* current, const std::string& input, int outputKind)
{
    if (outputKind == OUTPUT_NONE)
        return;
    if (outputKind == OUTPUT_ASSEMBLER) {
        const std::string name = ProductName(input, "s");
        ClashCheck(name, STAGE_PRODUCT);
        Made(current, name, FILE_ASSEMBLER, STAGE_PRODUCT, 0);
        return;
    }
    if (Generate == GENERATE_ASSEMBLER)
        current = AssemblerOutput(current, input);
    ObjectOf(current, input, outputKind);
}

bool IsLinkItem(const std::string& name)
{
    return !name.empty() && (name[0] == '-' || name[0] == '+');
}

} // namespace

void GraphBuild(const List& inputs, int outputKind)
{
    for (Arg* input = ArgFirst(inputs); input; input = ArgNext(input))
        BuildNodes(input->name, outputKind);
}

void BuildNodes(const std::string& input, int outputKind)
{
    const int kind = IsLinkItem(input) ? FILE_LIBRARY : FileKindOf(input);
    switch (kind) {
    case FILE_C:
    case FILE_CXX: {
        Node* source = NodeCreate(input, kind, STAGE_COMPILE, 0);
        if (outputKind == OUTPUT_FILE_LIST || outputKind == OUTPUT_PREPROCESSED)
            return;
        if (outputKind == OUTPUT_C) {
            const std::string name = ProductName(input, "ic");
            ClashCheck(name, STAGE_PRODUCT);
            Made(source, name, FILE_INTERMEDIATE, STAGE_PRODUCT, 0);
            return;
        }
        FromCompilerOutput(CompilerOutput(source, input, Generate == GENERATE_C), input, outputKind);
        return;
    }
    case FILE_INTERMEDIATE:
    case FILE_PREPROCESSED:
        FromCompilerOutput(NodeCreate(input, kind, STAGE_COMPILE, 0), input, outputKind);
        return;
    case FILE_ASSEMBLER: {
        if (outputKind == OUTPUT_PREPROCESSED) {
            NodeCreate(input, FILE_ASSEMBLER, STAGE_COMPILE, 0);
            return;
        }
        Node* current = nullptr;
        if (PreprocAsm) {
            ClashCheck(input, STAGE_ASM_PREPROC);
            Node* preprocessed = NodeCreate(input, FILE_ASSEMBLER, STAGE_ASM_PREPROC, 0);
            current = Made(preprocessed, FileTarget(input, "s", 0), FILE_ASSEMBLER, STAGE_ASSEMBLE,
                           NODE_TEMPORARY | NODE_INTERMEDIATE);
        } else {
            ClashCheck(input, STAGE_ASSEMBLE);
            current = NodeCreate(input, FILE_ASSEMBLER, STAGE_ASSEMBLE, 0);
        }
        ObjectOf(current, input, outputKind);
        return;
    }
    case FILE_OBJECT: {
        ClashCheck(input, STAGE_LINK);
        LinkToProduct(NodeCreate(input, FILE_OBJECT, STAGE_LINK, 0), outputKind, 7);
        return;
    }
    case FILE_LIBRARY:
        LinkToProduct(NodeCreate(input, FILE_LIBRARY, STAGE_LINK, 0), outputKind, 8);
        return;
    case FILE_DLL:
        LinkToProduct(NodeCreate(input, FILE_DLL, STAGE_LINK, 0), outputKind, 9);
        return;
    default:
        // No suffix, executables, unrecognised files, headers, option files and profile
        // data make no node.
        return;
    }
}

void GraphDepend(int outputKind)
{
    if (outputKind == OUTPUT_NONE || outputKind == OUTPUT_FILE_LIST || outputKind == OUTPUT_PREPROCESSED)
        return;
    for (Node* product = ListFirst<Node>(StageDeps[STAGE_PRODUCT]); product; product = ListNext(product)) {
        NodeRequired(product);
        NodeMarkRequired(product);
    }
    for (List& stage : StageDeps) {
        for (Node* node = ListFirst<Node>(stage); node;) {
            Node* next = ListNext(node);
            if (!(node->flags & NODE_REQUIRED)) {
                NodeDelete(node);
            } else {
                node->flags &= ~NODE_REQUIRED;
                if (node->parents.count == 0)
                    node->flags &= ~NODE_INTERMEDIATE;
            }
            node = next;
        }
    }
}

void GraphBuildTemplates(Node* source, const List& files, int outputKind)
{
    for (Arg* file = ArgFirst(files); file; file = ArgNext(file)) {
        BuildTemplateNodes(source, file->name, outputKind);
        // The generated source in the instantiation directory goes at exit.
        if (!DryRun && !KeepTemps && (Generate == GENERATE_C || Generate == GENERATE_ASSEMBLER))
            DelFileAdd(file->name);
    }
}

void BuildTemplateNodes(Node* source, const std::string& file, int outputKind)
{
    const int kind = FileKindOf(file);
    if (kind != FILE_INTERMEDIATE && kind != FILE_ASSEMBLER && kind != FILE_OBJECT)
        return;
    if (outputKind >= OUTPUT_NONE && outputKind <= OUTPUT_ASSEMBLER)
        return;
    const int objectStage = outputKind == OUTPUT_OBJECT ? STAGE_PRODUCT : STAGE_LINK;
    const int repositoryFlags = NODE_REPOSITORY | IntermediateFlags();
    if (kind == FILE_OBJECT) {
        Made(source, file, FILE_OBJECT, objectStage, NODE_REPOSITORY);
        return;
    }
    Node* last = nullptr;
    if (kind == FILE_INTERMEDIATE) {
        last = Made(source, file, FILE_INTERMEDIATE, STAGE_INTERMEDIATE, repositoryFlags);
    } else if (PreprocAsm) {
        Node* preprocessed = Made(source, file, FILE_ASSEMBLER, STAGE_ASM_PREPROC, repositoryFlags);
        last = Made(preprocessed, FileTarget(file, "s", 0), FILE_ASSEMBLER, STAGE_ASSEMBLE,
                    NODE_REPOSITORY | NODE_INTERMEDIATE | NODE_TEMPORARY);
    } else {
        last = Made(source, file, FILE_ASSEMBLER, STAGE_ASSEMBLE, repositoryFlags);
    }
    DString object;
    AddChars(object, file);
    std::uint32_t position = 0;
    RemSuffix(object, &position);
    AddSuffix(object, "doj", position);
    Made(last, std::string(object.view()), FILE_OBJECT, objectStage, NODE_REPOSITORY);
}

void BuildMunchNodes(Node* munch, const std::string& munchSource)
{
    ClashCheck(munchSource, STAGE_COMPILE);
    Node* source = NodeCreate(munchSource, FILE_C, STAGE_COMPILE, KeepTemps ? 0 : NODE_TEMPORARY);
    Node* current = CompilerOutput(source, munchSource, Generate == GENERATE_C);
    if (Generate == GENERATE_ASSEMBLER)
        current = AssemblerOutput(current, munchSource);
    const std::string object = IntermediateName(munchSource, "doj");
    ClashCheck(object, STAGE_LINK);
    // The munch item becomes the object in place, so it is linked where "-munch" stood.
    NodeRename(munch, object);
    munch->kind = FILE_OBJECT;
    munch->time = KeepTemps ? FileTime(object) : 0;
    munch->flags = IntermediateFlags() | (munch->time != 0 ? NODE_EXISTS : 0);
    DepCreate(current, munch);
}

void GraphStage(int stage, bool withTemplates, List& list)
{
    for (Node* node = ListFirst<Node>(StageDeps[stage]); node; node = ListNext(node)) {
        if (node->flags & NODE_REPOSITORY)
            continue;
        ArgAddTail(list, node->name);
        if (!withTemplates || node->kind != FILE_OBJECT)
            continue;
        std::optional<std::string> directory;
        List entries;
        if (ReadTemplateInfoFile(InstantiationFile(node->name, ".ti"), nullptr, nullptr, nullptr, &directory,
                                 entries)) {
            if (UseInstFiles == 2) {
                ProcessTemplateInfoList(directory ? *directory : std::string("."), entries, true);
                JoinList(list, entries);
            }
        }
        ArgFreeList(entries);
    }
}

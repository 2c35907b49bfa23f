// The build engine's tool invocation and build execution.
#pragma once

#include <string>
#include <string_view>

#include "list.h"

struct Node;

// Runs a program (the debugger first when `debug` is set): output mode 0 leaves
// standard output alone, 1 writes it to `outputFile`. Returns the exit status.
int Invoke(std::string_view program, int outputMode, std::string_view outputFile, List& arguments, bool debug);
// Runs the first program with its output piped into the second.
int InvokePipe(std::string_view first, std::string_view second, int outputMode, std::string_view outputFile,
               List& firstArguments, List& secondArguments, bool debug);

// Each tool for one step of the build; each returns the tool's exit status (1 when it
// was not run because its output cannot be written).
int InvokeCompiler(const std::string& source, const std::string* output, const std::string* object);
int InvokeCCompiler(const std::string& source, const std::string& object);
int InvokeAssembler(const std::string& source, const std::string& object);
int InvokeAsmPreproc(const std::string& source, const std::string& output);
int InvokeObjPostproc(const std::string& object);
int InvokeProfiler(const List& dataFiles, const std::string& guideFile, const std::string& output);
int InvokePrelinker(const List& inputs);
int InvokeLinker(const List& inputs, const std::string& output);
int InvokeArchiver(const List& objects, const std::string& library);
int InvokeLibBuilder(const List& inputs, const std::string& output);
int InvokeMemInit(const std::string& input, const std::string& output);
// Records the recompilation command of a source in its object's instantiation file;
// the instantiation files it names go to `entries`. 0 on success.
int UpdateTemplateFile(const std::string& source, const std::string& object, List& entries);

// Executes the whole graph.
void Build();
// Announces a node and runs its chain.
void BuildStages(Node* node, bool announce);
// Runs the chain of tools from a node to its object; returns 0.
int BuildObject(Node* node);

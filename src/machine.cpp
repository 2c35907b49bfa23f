// Target configuration: the value checks of option arguments, register reservations,
// predefined macros and assertions, the default processor and directories, and the
// option sets implied by the user's options.
#include "machine.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_system.h"
#include "file_temp.h"
#include "option.h"
#include "system.h"

const char* const RegisterTable[] = {"m3", "M3", nullptr};
const char* const RegMacroTable[] = {"__M3_RESERVED__", "__M3_RESERVED__", nullptr};
const char* const RegLinkerTable[] = {"-MDM3_RESERVED", "-MDM3_RESERVED", nullptr};

namespace {

bool Given(std::uint32_t id)
{
    return OptionTable[id] != 0;
}

// Adds an option exactly as if the user had typed it, unless the user already gave it.
void AddOption(const char* name)
{
    if (const OptionData* row = LookUpOption(name); row && Given(row->id))
        return;
    std::string word = name;
    ProcessOption(1, word, nullptr);
}

} // namespace

int CheckIdentifier(std::string_view text)
{
    int count = 0;
    for (char c : text) {
        const bool letter = std::isalpha(static_cast<unsigned char>(c)) || c == '_';
        const bool digit = std::isdigit(static_cast<unsigned char>(c));
        if (!(letter || (digit && count > 0)))
            break;
        ++count;
    }
    return count;
}

int CheckInteger(std::string_view text, long& value)
{
    const std::string copy(text);
    errno = 0;
    long long parsed = 0;
    std::size_t consumed = 0;
    bool overflow = false;
    bool negative = false;
    std::size_t start = std::string::npos;
    if (copy.size() >= 3 && copy[0] == '-' && copy[1] == '0' && (copy[2] == 'b' || copy[2] == 'B')) {
        start = 3;
        negative = true;
    } else if (copy.size() >= 2 && copy[0] == '0' && (copy[1] == 'b' || copy[1] == 'B')) {
        start = 2;
    }
    if (start != std::string::npos) {
        // Binary digits, read as a magnitude and checked against the 32-bit range.
        consumed = start;
        unsigned long long magnitude = 0;
        while (consumed < copy.size() && (copy[consumed] == '0' || copy[consumed] == '1')) {
            magnitude = magnitude * 2 + static_cast<unsigned>(copy[consumed] - '0');
            if (magnitude > (1ULL << 40))
                overflow = true;
            ++consumed;
        }
        if (negative) {
            if (overflow || magnitude > static_cast<unsigned long long>(INT_MAX) + 1)
                overflow = true;
            parsed = overflow ? INT_MIN : -static_cast<long long>(magnitude);
        } else {
            if (overflow || magnitude > static_cast<unsigned long long>(INT_MAX))
                overflow = true;
            parsed = overflow ? INT_MAX : static_cast<long long>(magnitude);
        }
    } else {
        char* end = nullptr;
        parsed = std::strtoll(copy.c_str(), &end, 0);
        consumed = static_cast<std::size_t>(end - copy.c_str());
        // Numbers are 32-bit values on every host.
        if (errno == ERANGE || parsed > INT_MAX || parsed < INT_MIN) {
            overflow = true;
            parsed = (errno == ERANGE ? parsed < 0 : parsed < INT_MIN) ? INT_MIN : INT_MAX;
        }
    }
    value = static_cast<long>(parsed);
    if (overflow)
        Error(LEVEL_WARNING, "%s number overflow in `%s'", value == INT_MIN ? "Negative" : "Positive", copy.c_str());
    return static_cast<int>(consumed);
}

int CheckFloat(std::string_view text, double& value)
{
    const std::string copy(text);
    errno = 0;
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    const std::size_t consumed = static_cast<std::size_t>(end - copy.c_str());
    if (consumed == 0)
        Error(LEVEL_WARNING, "invalid floating point number `%s'", copy.c_str());
    else if (errno == ERANGE)
        Error(LEVEL_WARNING, value < -0.1 || value > 0.1 ? "floating point number overflow in `%s'"
                                                          : "floating point number underflow in `%s'",
              copy.c_str());
    return static_cast<int>(consumed);
}

int CheckRegister(std::string_view name)
{
    for (int i = 0; RegisterTable[i]; ++i) {
        if (name == RegisterTable[i])
            return i;
    }
    return -1;
}

void DefResRegMacro(int index)
{
    if (index < 0)
        return;
    if (RegMacroTable[index])
        ArgAddTail(ArgLists[LIST_MACROS], RegMacroTable[index], "1");
    if (RegLinkerTable[index])
        ArgAddTail(ArgLists[LIST_LINKER], RegLinkerTable[index]);
}

int IsStandardCon()
{
    return Given(OPT_pedantic_errors) || Given(OPT_pedantic) ? 1 : 0;
}

void AddMacroSet(List& list, std::string_view name, int plain, int single, int doubled, int full)
{
    const bool strict = IsStandardCon() != 0;
    const std::string text(name);
    if (plain == 2 || (plain == 1 && !strict))
        ArgAddTail(list, text, "1");
    const bool upper = !text.empty() && std::isupper(static_cast<unsigned char>(text[0]));
    if (single == 2 || (single == 1 && (!strict || upper)))
        ArgAddTail(list, "_" + text, "1");
    if (doubled)
        ArgAddTail(list, "__" + text, "1");
    if (full)
        ArgAddTail(list, "__" + text + "__", "1");
}

namespace {

using Macro = std::pair<std::string, std::string>;

void DefaultAssertions()
{
    static const std::pair<const char*, const char*> defaults[] = {
        {"system", "embedded"},
        {"machine", "kdsptrvx"},
        {"cpu", "kdsptrvx"},
        {"compiler", "cctrvx"},
    };
    List& user = ArgLists[LIST_ASSERTIONS];
    List merged;
    for (const auto& [predicate, tokens] : defaults) {
        Arg* node = ArgLocateNext(user, predicate);
        if (node && node->value && *node->value == tokens) {
            Error(LEVEL_WARNING, "Duplicate definition of predefined assertion `%s' as `%s'", predicate, tokens);
            ArgRemove(user, node);
        }
        ArgAddTail(merged, predicate, tokens);
    }
    JoinList(merged, user);
    JoinList(user, merged);
}

void AddSet(std::vector<Macro>& macros, const char* name)
{
    List set;
    AddMacroSet(set, name, 1, 0, 0, 1);
    for (Arg* arg = ArgFirst(set); arg; arg = ArgNext(arg))
        macros.emplace_back(arg->name, *arg->value);
    ArgFreeList(set);
}

void ProcessorMacros(std::vector<Macro>& macros)
{
    if (Given(OPT_63835)) {
        AddSet(macros, "KDSPTARVEX");
        AddSet(macros, "KDSP63835");
    } else if (Given(OPT_63832)) {
        AddSet(macros, "KDSPTARVEX");
        AddSet(macros, "KDSP63832");
    } else if (!Given(OPT_proc)) {
        AddSet(macros, "KDSPTARVEX");
        AddSet(macros, "KDSP63832");
        ArgAddTail(ArgLists[LIST_CODEGEN], "-KDSP-63832");
        ArgAddTail(ArgLists[LIST_ASSEMBLER], "-63832");
        ArgAddTail(ArgLists[LIST_LINKER], "-DKDSP-63832");
    }
}

void SystemMacros(std::vector<Macro>& macros)
{
    auto add = [&](const char* name, const char* value) {
        if (value && value[0])
            macros.emplace_back(name, std::string("\"") + value + "\"");
    };
    const char* system = nullptr;
    const char* computer = nullptr;
    const char* machine = nullptr;
    SystemInfo(&system, &computer, &machine);
    add("__HOSTNAME__", computer);
    add("__MACHINE__", machine);
    add("__SYSTEM__", system);
    const char* user = nullptr;
    const char* group = nullptr;
    const char* real = nullptr;
    UserInfo(&user, &group, &real);
    add("__USERNAME__", user);
    add("__GROUPNAME__", group);
    add("__REALNAME__", real);
}

void KeywordMacros(std::vector<Macro>& macros)
{
    if (Generate == GENERATE_ASSEMBLER)
        macros.emplace_back("asm", "__asm");
    static const char* const words[] = {"inline", "bool", "false", "true"};
    for (const char* word : words) {
        if (Given(OPT_ansi_cxx))
            macros.emplace_back(std::string("__") + word, word);
        else
            macros.emplace_back(word, std::string("__") + word);
    }
    for (const char* word : {"restrict", "dm", "pm", "bank", "segment", "section"})
        macros.emplace_back(word, std::string("__") + word);
}

std::vector<Macro> PredefinedMacros()
{
    std::vector<Macro> macros;
    const bool strict = IsStandardCon() != 0;
    if (!Given(OPT_no_std_def) && !Given(OPT_no_defs)) {
        macros.emplace_back("__ZCC__", "1");
        macros.emplace_back("_LANGUAGE_C", "1");
        if (strict && (Given(OPT_ansi) || Given(OPT_ansi_cxx)))
            macros.emplace_back("__STRICT_ANSI__", "1");
        if (Given(OPT_no_builtin))
            macros.emplace_back("__NO_BUILTIN", "1");
        macros.emplace_back("__DOUBLES_ARE_FLOATS__", "1");
        macros.emplace_back("_NO_LONGLONG", "1");
        if (Given(OPT_sysdefs))
            SystemMacros(macros);
        if (!Given(OPT_no_std_ass) && !strict && !Given(OPT_traditional) && !Given(OPT_ansi) && !Given(OPT_ansi_cxx))
            macros.emplace_back("__VELTRIX_EXTENSIONS__", "1");
        if (!Given(OPT_no_std_ass))
            ProcessorMacros(macros);
    }
    if (Given(OPT_extra_keywords))
        KeywordMacros(macros);
    return macros;
}

// A default directory under the install directory; dropped silently when it does not
// exist, with an error when it is not a directory.
void DefaultDirectory(const char* name, int list)
{
    std::string path = BuildPath({FileLocs[LOC_INSTALL].view(), "Tarvex", name});
    if (!FileExists(path))
        return;
    if (!FileDirectory(path)) {
        Error(LEVEL_ERROR, "`%s' is not a directory", path.c_str());
        return;
    }
    ArgAddHead(ArgLists[list], path);
}

} // namespace

void DefaultLists()
{
    // Assertions.
    if (!Given(OPT_no_std_ass) && !Given(OPT_no_defs))
        DefaultAssertions();

    // The assembler gets the user's macros, but not the predefined ones.
    List& macros = ArgLists[LIST_MACROS];
    List& undefines = ArgLists[LIST_UNDEFINES];
    for (Arg* macro = ArgFirst(macros); macro; macro = ArgNext(macro)) {
        if (!ArgLocateNext(undefines, macro->name))
            ArgAddTail(ArgLists[LIST_ASSEMBLER], "-D" + macro->name + "=" + macro->value.value_or(""));
    }

    // Predefined macros, merged with the user's.
    List merged;
    for (auto& [name, value] : PredefinedMacros()) {
        if (ArgLocateNext(undefines, name)) {
            Error(LEVEL_WARNING, "Removal of predefined macro `%s'", name.c_str());
            continue;
        }
        if (Arg* user = ArgLocateNext(macros, name)) {
            const std::string userValue = user->value.value_or("");
            if (userValue == value) {
                Error(LEVEL_WARNING, "Duplicate definition of predefined macro `%s'", name.c_str());
            } else {
                Error(LEVEL_WARNING, "Redefinition of predefined macro `%s' from `%s' to `%s'", name.c_str(),
                      value.c_str(), userValue.c_str());
                value = userValue;
            }
            ArgRemove(macros, user);
        }
        ArgAddTail(merged, name, value);
    }
    JoinList(merged, macros);
    JoinList(macros, merged);

    // The assembler's include directories.
    for (Arg* directory = ArgFirst(ArgLists[LIST_INCLUDE_DIRS]); directory; directory = ArgNext(directory)) {
        ArgAddTail(ArgLists[LIST_ASSEMBLER], "-i");
        ArgAddTail(ArgLists[LIST_ASSEMBLER], directory->name);
    }

    if (!Given(OPT_no_std_inc) && !Given(OPT_no_defs))
        DefaultDirectory("include", LIST_SYS_INCLUDE_DIRS);
    if (!Given(OPT_no_std_lib) && !Given(OPT_no_defs))
        DefaultDirectory("lib", LIST_SYS_LIB_DIRS);
}

void DefaultFiles()
{
    const DString& slot = FileLocs[LOC_ARCH_FILE];
    if (slot.len == 0)
        return;
    std::string name(slot.view());
    std::string path = name.find_first_of(":\\") != std::string::npos
                           ? name
                           : BuildPath({FileLocs[LOC_INSTALL].view(), "Tarvex", "ldf", name});
    if (!FileExists(path)) {
        if (ReportMissing)
            Error(LEVEL_FATAL, "`%s' does not exist", path.c_str());
        return;
    }
    if (FileDirectory(path))
        Error(LEVEL_FATAL, "`%s' is a directory", path.c_str());
    ArgAddHead(ArgLists[LIST_LINKER], path);
    ArgAddHead(ArgLists[LIST_LINKER], "-T");
}

void LanguageOptions()
{
    if (!Given(OPT_veltrix) && !Given(OPT_traditional) && !Given(OPT_ansi) && !Given(OPT_ansi_cxx) && !Given(OPT_cxx))
        AddOption("-veltrix");
    if (!Given(OPT_extra_keywords) && !Given(OPT_no_extra_keywords)) {
        if (Given(OPT_traditional) || Given(OPT_ansi) || Given(OPT_ansi_cxx))
            AddOption("-no-extra-keywords");
        else
            AddOption("-extra-keywords");
    }
}

void OptimizeOptions()
{
    int level = 1;
    bool optimising = false;
    bool forSize = false;
    List& codegen = ArgLists[LIST_CODEGEN];
    if (Given(OPT_Os)) {
        optimising = true;
        level = 2;
        forSize = true;
    } else if (Given(OPT_Ot)) {
        optimising = true;
        level = 2;
    }
    if (Given(OPT_Ofp)) {
        ArgAddTail(codegen, "-3offset_FP");
        OptionTable[OPT_g] = 0;
        OptionTable[OPT_debug_types] = 0;
        optimising = true;
        level = 2;
    }
    if (Given(OPT_Oz)) {
        ArgAddTail(codegen, "-3low64k");
        optimising = true;
        level = 2;
    }
    if (Given(OPT_Ox)) {
        ArgAddTail(codegen, "-3safe_halfs");
        optimising = true;
        level = 2;
    }
    if ((optimising || Given(OPT_O)) && !Given(OPT_cxx) && !Given(OPT_const_read_write))
        ArgAddTail(codegen, "-treat_const_as_readonly");
    if (Given(OPT_O) || Given(OPT_O1) || Given(OPT_ipa)) {
        optimising = true;
        level = 2;
    }
    if (level != 0 && Given(OPT_no_inline)) {
        Error(LEVEL_WARNING, "Disabling inlining prevents any high-level optimizations");
        level = 0;
    }
    std::string translation = "--kfront(d)|+K" + std::to_string(level) + "(d)";
    translation += Given(OPT_compact) ? "|--process_asm(d)" : "|--no_process_asm(d)";
    translation += "|-convert_commons(i)";
    if (!Given(OPT_Ov)) {
        if (forSize)
            ArgAddTail(codegen, "-opt_speed_vs_size=0");
        else if (ArgLists[LIST_PROFILE_DATA].count == 0)
            ArgAddTail(codegen, "-opt_speed_vs_size=100");
        else
            ArgAddTail(codegen, "-opt_speed_vs_size=50");
    }
    ArgAddTail(ArgLists[LIST_PENDING], "-O", translation);
}

void PlatformOptions()
{
    // The processor file of a processor named with -proc.
    if (Given(OPT_proc) && FileLocs[LOC_PROC_ID].len > 0) {
        const std::string processor(FileLocs[LOC_PROC_ID].view());
        const std::string path = BuildPath({FileLocs[LOC_INSTALL].view(), "System", processor + ".ini"});
        if (!FileExists(path) && ReportMissing) {
            Error(LEVEL_ERROR, "`%s' does not exist", path.c_str());
        } else {
            for (int list : {LIST_ASSEMBLER, LIST_LINKER}) {
                ArgAddTail(ArgLists[list], "-proc");
                ArgAddTail(ArgLists[list], processor);
            }
            ArgAddTail(ArgLists[LIST_PENDING], "--proc=" + path);
            if (!std::isdigit(static_cast<unsigned char>(processor[0])) &&
                processor.find_first_of(" -") == std::string::npos)
                AddMacroSet(ArgLists[LIST_MACROS], processor, 0, 0, 0, 1);
        }
    }
    if (!Given(OPT_signed_char) && !Given(OPT_signed_bitfield))
        AddOption("-signed-char");
    if (Given(OPT_g) && !Given(OPT_debug_types) && !Given(OPT_O) && !Given(OPT_Ofp) && !Given(OPT_Os) &&
        !Given(OPT_Oz) && !Given(OPT_Ox) && !Given(OPT_O0) && !Given(OPT_O1) && !Given(OPT_inline) && !Given(OPT_ipa))
        AddOption("-no-inline");
    List& linker = ArgLists[LIST_LINKER];
    if (Given(OPT_p))
        ArgAddTail(linker, "-MDUSE_PROFILER");
    else if (Given(OPT_p1))
        ArgAddTail(linker, "-MDUSE_PROFILER1");
    else if (Given(OPT_p2))
        ArgAddTail(linker, "-MDUSE_PROFILER2");
    if (Given(OPT_Oz))
        ArgAddTail(linker, "-MDLOW64K");
    if (!Given(OPT_no_jcs2l))
        AddOption("-jcs2l");
    if (Given(OPT_pg))
        ArgAddTail(linker, "-MDUSE_PROFGUIDE");
}

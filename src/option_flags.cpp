// The handlers of options without an argument: stage selection, dialects, conflicting
// pairs, guards and flags.
#include <initializer_list>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "option.h"
#include "option_handlers.h"

namespace {

// Withdraws an earlier option by name (its identifier found in the dictionary).
bool Conflict(const char* earlier, const std::string& current)
{
    const OptionData* row = LookUpOption(earlier);
    return ConflictOption(row ? row->id : 0, earlier, current.c_str()) != 0;
}

// A chain: the next option is tested only while none of the earlier ones conflicted.
bool Chain(const std::string& current, std::initializer_list<const char*> earlier)
{
    for (const char* name : earlier) {
        if (Conflict(name, current))
            return true;
    }
    return false;
}

// Independent checks: every option is tested.
void Each(const std::string& current, std::initializer_list<const char*> earlier)
{
    for (const char* name : earlier)
        Conflict(name, current);
}

bool Given(std::uint32_t id)
{
    return OptionTable[id] != 0;
}

// The dialect of traditional C: withdraws the other C dialects and the strict modes.
void BlockTraditional(const std::string& current)
{
    Chain(current, {"-veltrix", "-ansi"});
    Chain(current, {"-pedantic-errors", "-pedantic"});
}

// The dialect of ANSI C++.
void BlockAnsiCxx(const std::string& current)
{
    if (Conflict("-ansi", current) || Conflict("-traditional", current)) {
        BlockTraditional(current);
        return;
    }
    if (!Conflict("-c++", current))
        BlockTraditional(current);
}

// The non-stopping variants cancel a stopping option and go back to a full build, or
// else replace each other.
void NonStopping(const std::string& current, std::initializer_list<const char*> variants)
{
    if (Chain(current, {"-M", "-E", "-P", "-H"}))
        Production = OUTPUT_EXECUTABLE;
    else
        Chain(current, variants);
}

HandlerResult Refuse(const char* format, const std::string& name)
{
    Error(LEVEL_ERROR, format, name.c_str());
    return HandlerResult::Stop;
}

} // namespace

HandlerResult HandleFlagOption(std::uint32_t id, const std::string& name)
{
    switch (id) {
    // Stage selection.
    case OPT_M:
        Chain(name, {"-MM", "-MD", "-MQ", "-E", "-EE", "-P", "-PP", "-H", "-HH", "-S", "-c", "-build-lib",
                     "-syntax-only"});
        Production = OUTPUT_FILE_LIST;
        break;
    case OPT_H:
        Chain(name, {"-M", "-MM", "-MD", "-E", "-EE", "-P", "-PP", "-HH", "-S", "-c", "-build-lib", "-syntax-only"});
        Production = OUTPUT_FILE_LIST;
        break;
    case OPT_E:
        Chain(name, {"-M", "-MM", "-MD", "-EE", "-P", "-PP", "-H", "-HH", "-S", "-c", "-build-lib", "-syntax-only"});
        Production = OUTPUT_PREPROCESSED;
        break;
    case OPT_P:
        Chain(name, {"-M", "-MM", "-MD", "-E", "-EE", "-PP", "-H", "-HH", "-S", "-c", "-build-lib", "-syntax-only"});
        Production = OUTPUT_PREPROCESSED;
        break;
    case OPT_S:
        if (Generate == GENERATE_OBJECT)
            return Refuse("Option `%s' cannot be used with an object-generating compiler", name);
        Chain(name, {"-M", "-E", "-P", "-H", "-c", "-build-lib", "-syntax-only"});
        Production = OUTPUT_ASSEMBLER;
        break;
    case OPT_c:
        Chain(name, {"-M", "-E", "-P", "-H", "-S", "-build-lib", "-syntax-only"});
        Production = OUTPUT_OBJECT;
        break;
    case OPT_build_lib:
        Chain(name, {"-M", "-E", "-P", "-H", "-S", "-c", "-syntax-only"});
        Production = OUTPUT_LIBRARY;
        break;
    case OPT_syntax_only:
        Chain(name, {"-M", "-E", "-P", "-H", "-S", "-c", "-build-lib"});
        Production = OUTPUT_NONE;
        break;
    case OPT_MM:
        NonStopping(name, {"-MD", "-EE", "-PP", "-HH"});
        break;
    case OPT_MD:
        NonStopping(name, {"-MM", "-EE", "-PP", "-HH"});
        break;
    case OPT_EE:
        NonStopping(name, {"-MM", "-MD", "-PP", "-HH"});
        break;
    case OPT_PP:
        NonStopping(name, {"-MM", "-MD", "-EE", "-HH"});
        break;
    case OPT_HH:
        NonStopping(name, {"-MM", "-MD", "-EE", "-PP"});
        break;

    // Language dialects.
    case OPT_veltrix:
        Chain(name, {"-traditional", "-ansi"});
        break;
    case OPT_ansi:
        Chain(name, {"-veltrix", "-ansi-c++", "-c++", "-traditional"});
        break;
    case OPT_traditional:
        BlockTraditional(name);
        break;
    case OPT_ansi_cxx:
        BlockAnsiCxx(name);
        break;
    case OPT_cxx:
        if (Conflict("-ansi", name) || Conflict("-traditional", name))
            BlockAnsiCxx(name);
        else if (!Conflict("-ansi-c++", name))
            BlockAnsiCxx(name);
        break;

    // Pairs and guards.
    case OPT_alttok:
        Conflict("-no-alttok", name);
        break;
    case OPT_anach:
    case OPT_no_anach:
        if (Given(OPT_traditional) || Given(OPT_ansi))
            return Refuse("Option `%s' cannot be used when compiling C source files", name);
        Conflict(id == OPT_anach ? "-no-anach" : "-anach", name);
        break;
    case OPT_compact:
        Conflict("-no-compact", name);
        break;
    case OPT_no_compact:
        Conflict("-compact", name);
        break;
    case OPT_inline:
        Conflict("-no-inline", name);
        break;
    case OPT_no_inline:
        Conflict("-inline", name);
        break;
    case OPT_jcs2l:
        Conflict("-no-jcs2l", name);
        break;
    case OPT_no_jcs2l:
        Conflict("-jcs2l", name);
        break;
    case OPT_extra_keywords:
        Conflict("-no-extra-keywords", name);
        break;
    case OPT_no_extra_keywords:
        Conflict("-extra-keywords", name);
        break;
    case OPT_sat32:
        Conflict("-sat40", name);
        break;
    case OPT_sat40:
        Conflict("-sat32", name);
        break;
    case OPT_no_dollar:
        Conflict("-dollar", name);
        break;
    case OPT_nothreads:
        Conflict("-threads", name);
        break;
    case OPT_no_preserve_bitfield_type:
        Conflict("-preserve-bitfield-type", name);
        break;
    case OPT_signed_char:
        Conflict("-unsigned-char", name);
        break;
    case OPT_signed_bitfield:
        Conflict("-unsigned-bitfield", name);
        break;
    case OPT_g:
        Each(name, {"-s", "-Ofp"});
        break;
    case OPT_Ofp:
        Each(name, {"-g", "-debug-types"});
        break;
    case OPT_s:
        if (Given(OPT_g) || Given(OPT_debug_types))
            return Refuse("Option `%s' cannot be used when compiling with debugging information", name);
        break;
    case OPT_O:
        Conflict("-O0", name);
        break;
    case OPT_O0:
        Each(name, {"-O", "-O1"});
        break;
    case OPT_O1:
        Conflict("-O0", name);
        break;
    case OPT_p:
        Each(name, {"-pg", "-p1", "-p2"});
        break;
    case OPT_p1:
        Each(name, {"-pg", "-p", "-p2"});
        break;
    case OPT_p2:
        Each(name, {"-pg", "-p1", "-p"});
        break;
    case OPT_pg:
        Each(name, {"-p2", "-p1", "-p"});
        break;
    case OPT_heron:
        Each(name, {"-63832", "-63835"});
        break;
    case OPT_63835:
        Each(name, {"-heron", "-63832"});
        break;
    case OPT_63832:
        Each(name, {"-heron", "-63835"});
        break;
    case OPT_pedantic_errors:
        if (Given(OPT_traditional))
            return Refuse("Option `%s' cannot be used when compiling traditional C source files", name);
        Conflict("-pedantic", name);
        break;
    case OPT_pedantic:
        if (Given(OPT_traditional))
            return Refuse("Option `%s' cannot be used when compiling traditional C source files", name);
        Conflict("-pedantic-errors", name);
        break;
    case OPT_w:
        Conflict("-Wremarks", name);
        NoWarnings = 1;
        break;
    case OPT_Wremarks:
        if (Given(OPT_w))
            return Refuse("Suppressing warnings is not allowed with the `%s' option", name);
        break;

    // Flags.
    case OPT_dry:
    case OPT_v:
    case OPT_verbose:
        Verbose = 1;
        break;
    case OPT_dryrun:
        DryRun = 1;
        break;
    case OPT_save_temps:
        KeepTemps = 1;
        break;
    case OPT_xlibs:
        ExpandLibs = 1;
        break;
    case OPT_expert_linker:
        ExpertLinker = 1;
        no_dir_warn = 1;
        ReportMissing = 0;
        break;
    case OPT_no_dir_warnings:
        no_dir_warn = 1;
        break;
    case OPT_MQ:
        ReportMissing = 0;
        break;
    case OPT_pass:
        PassUnknown = 1;
        break;
    case OPT_time:
        Timing = 1;
        break;
    case OPT_wrap:
        Wrap = 1;
        break;
    case OPT_R_:
        ArgFreeList(ArgLists[LIST_SOURCE_DIRS]);
        break;
    case OPT_I_:
        ArgAddTail(ArgLists[LIST_INCLUDE_DIRS], "-");
        break;
    case OPT_h:
        return HandlerResult::EndSource;
    default:
        break;
    }
    return HandlerResult::Continue;
}

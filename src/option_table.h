// The user interface driver's option vocabulary as data: one row per option name with
// its identifier, argument kind and translation, and the quick-reference help table.
#pragma once

#include <cstdint>

// Argument kinds of an option row.
enum OptionArgKind : int {
    ARG_NONE = 0,  // takes no argument
    ARG_VALUE = 1, // takes a value
    ARG_PATH = 2,  // takes a path; every '/' in it becomes '\' before use
};

// One row of the option table. The translation lists, separated by '|', the options the
// user option stands for, each followed by its destination tags in parentheses; it is
// null when the option only has a handler or is merely recorded.
struct OptionData {
    const char* name;
    std::uint32_t id;
    int kind;
    const char* translation;
};

// Option identifiers (1 to 328; 0 means "not an option"). The identifier indexes
// OptionTable and selects the option's handler. Names that share an identifier are
// aliases of one option. A constant is named after its option without the leading '-',
// with '-' written '_', '+' written 'x' and '@' written 'at'.
enum OptionId : std::uint32_t {
    OPT_at = 196,
    OPT_999 = 89,
    OPT_A = 14,
    OPT_alttok = 9,
    OPT_anach = 10,
    OPT_veltrix = 98,
    OPT_ansi = 105,
    OPT_archive = 12,
    OPT_auto_inline = 16,
    OPT_bool = 19,
    OPT_buildlib = 22,
    OPT_build_lib = 13,
    OPT_C = 25,
    OPT_c = 162,
    OPT_ansi_cxx = 102,
    OPT_cxx = 97,
    OPT_circbuf = 24,
    OPT_compact = 26,
    OPT_const_read_write = 28,
    OPT_D = 34,
    OPT_debug = 33,
    OPT_deps = 39,
    OPT_dollar = 52,
    OPT_double_size_64 = 271,
    OPT_dry = 54,
    OPT_dryrun = 55,
    OPT_E = 240,
    OPT_EE = 241,
    OPT_expert_linker = 63,
    OPT_explicit = 62,
    OPT_extra_keywords = 94,
    OPT_TARVEX = 66,
    OPT_63835 = 119,
    OPT_63832 = 120,
    OPT_heron = 67,
    OPT_flags_asm = 184,
    OPT_flags_compiler = 185,
    OPT_flags_debug = 186,
    OPT_flags_demangle = 190,
    OPT_flags_driver = 187,
    OPT_flags_gco = 194,
    OPT_flags_lib = 183,
    OPT_flags_link = 189,
    OPT_flags_prelink = 192,
    OPT_flags_prof = 193,
    OPT_force = 64,
    OPT_fp_associative = 65,
    OPT_g = 29,
    OPT_debug_types = 31,
    OPT_generate = 73,
    OPT_graph = 40,
    OPT_H = 302,
    OPT_HH = 303,
    OPT_h = 75,
    OPT_help = 75,
    OPT_I = 80,
    OPT_I_ = 81,
    OPT_i = 316,
    OPT_include = 82,
    OPT_inline = 84,
    OPT_ids = 77,
    OPT_ipa = 79,
    OPT_J = 306,
    OPT_jcs2l = 91,
    OPT_L = 107,
    OPT_l = 109,
    OPT_M = 41,
    OPT_MD = 44,
    OPT_MM = 42,
    OPT_MO = 43,
    OPT_Mt = 45,
    OPT_MQ = 46,
    OPT_man = 123,
    OPT_map = 124,
    OPT_xml = 328,
    OPT_namespace = 133,
    OPT_newforinit = 134,
    OPT_newvec = 136,
    OPT_no_alttok = 138,
    OPT_no_anach = 139,
    OPT_no_bool = 142,
    OPT_no_builtin = 143,
    OPT_no_compact = 144,
    OPT_no_defs = 146,
    OPT_no_dir_warnings = 148,
    OPT_no_dollar = 149,
    OPT_no_explicit = 151,
    OPT_no_jcs2l = 154,
    OPT_no_namespace = 165,
    OPT_no_newvec = 166,
    OPT_no_restrict = 169,
    OPT_notstrict = 177,
    OPT_no_wchar = 181,
    OPT_no_extra_keywords = 160,
    OPT_no_fp_associative = 152,
    OPT_no_int_to_fract = 159,
    OPT_no_inline = 158,
    OPT_no_preserve_bitfield_type = 164,
    OPT_no_std_ass = 15,
    OPT_no_std_def = 35,
    OPT_no_demangle = 147,
    OPT_no_prelink = 167,
    OPT_no_std_inc = 174,
    OPT_no_std_lib = 175,
    OPT_nothreads = 176,
    OPT_O = 197,
    OPT_Os = 199,
    OPT_Ot = 200,
    OPT_Ofp = 198,
    OPT_Ox = 202,
    OPT_Oz = 201,
    OPT_Ov = 277,
    OPT_proc = 246,
    OPT_O0 = 203,
    OPT_O1 = 204,
    OPT_o = 208,
    OPT_P = 244,
    OPT_PP = 245,
    OPT_p = 252,
    OPT_p1 = 253,
    OPT_p2 = 254,
    OPT_pg = 234,
    OPT_pguide_file = 235,
    OPT_pass = 214,
    OPT_path_asm = 216,
    OPT_path_compiler = 217,
    OPT_path_debug = 218,
    OPT_path_def = 223,
    OPT_path_demangle = 224,
    OPT_path_driver = 219,
    OPT_path_gco = 228,
    OPT_path_install = 85,
    OPT_path_ipa = 221,
    OPT_path_lib = 215,
    OPT_path_link = 222,
    OPT_path_output = 207,
    OPT_path_prelink = 226,
    OPT_path_prof = 227,
    OPT_path_temp = 288,
    OPT_pedantic = 282,
    OPT_pedantic_errors = 281,
    OPT_pplist = 239,
    OPT_R = 6,
    OPT_R_ = 261,
    OPT_reserve = 262,
    OPT_restrict = 263,
    OPT_S = 140,
    OPT_s = 283,
    OPT_sat32 = 265,
    OPT_sat40 = 266,
    OPT_save_temps = 93,
    OPT_show = 270,
    OPT_signed_bitfield = 268,
    OPT_signed_char = 267,
    OPT_strict = 281,
    OPT_strictwarn = 282,
    OPT_suppress = 284,
    OPT_syntax_only = 23,
    OPT_sysdefs = 285,
    OPT_T = 11,
    OPT_test = 290,
    OPT_testargs = 291,
    OPT_threads = 292,
    OPT_time = 293,
    OPT_tpautooff = 297,
    OPT_traditional = 103,
    OPT_trdforinit = 305,
    OPT_typename = 311,
    OPT_U = 314,
    OPT_v = 320,
    OPT_val_global = 321,
    OPT_verbose = 317,
    OPT_full_version = 318,
    OPT_version = 319,
    OPT_Wdriver_limit = 53,
    OPT_Werror = 47,
    OPT_Werror_limit = 60,
    OPT_Wremark = 48,
    OPT_Wremarks = 260,
    OPT_Wsuppress = 49,
    OPT_Wterse = 289,
    OPT_Wwarn = 50,
    OPT_w = 179,
    OPT_warn_protos = 8,
    OPT_wchar = 323,
    OPT_wrap = 325,
    OPT_write_files = 326,
    OPT_write_opts = 327,
    OPT_xlibs = 61,
    OPT_xref = 258,
};

constexpr int OPTION_DATA_ROWS = 190;
// Identifiers lie in 1..OPTION_ID_MAX, so each indexes OptionTable.
constexpr std::uint32_t OPTION_ID_MAX = 328;

// The option rows in table order, ended by a row whose name is null. The order matters:
// when the dictionary is loaded from it, a later row with the same name hides an
// earlier one.
extern const OptionData OptionDataTable[];

// One line of the help table: a non-empty syntax with an empty text starts the entry of
// an option; an empty syntax with a text is one description line of the entry above.
struct HelpEntry {
    const char* syntax;
    const char* text;
};

// The quick-reference help, ended by an entry whose syntax is null.
extern const HelpEntry HelpTable[];

#include "file_optfile.h"

#include <cctype>
#include <cerrno>
#include <ctime>

#include "cctrvx/globals.h"
#include "args.h"
#include "error.h"
#include "file_temp.h"
#include "host/host.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The word rules shared by option files and option strings.
class Tokenizer {
public:
    Tokenizer(std::string_view text, List* deferred, const std::string* fileName)
        : text_(text), deferred_(deferred), fileName_(fileName)
    {
    }

    std::vector<std::string> Run()
    {
        while (position_ < text_.size()) {
            const char c = text_[position_++];
            Read(c);
        }
        if (inQuotes_ && IsFile())
            ReportUnterminated();
        inQuotes_ = false;
        EndWord();
        return std::move(words_);
    }

private:
    // Option files have comments, variables, line numbers and quote errors; strings
    // have none of them.
    bool IsFile() const { return fileName_ != nullptr; }

    void Read(char c)
    {
        if (c == '\\') {
            Add(c);
            ++backslashes_;
            return;
        }
        const std::size_t run = backslashes_;
        backslashes_ = 0;
        switch (c) {
        case '"': {
            // Half of the preceding run of backslashes (rounded up) goes; an odd run
            // makes the quote a character of the word.
            word_.resize(word_.size() - (run + 1) / 2);
            if (run % 2 == 1) {
                Add('"');
            } else {
                inQuotes_ = !inQuotes_;
                present_ = true;
            }
            return;
        }
        case '%':
            if (IsFile()) {
                ReadPercent();
                return;
            }
            break;
        case '$':
            if (IsFile()) {
                ReadDollar();
                return;
            }
            break;
        case '#':
            if (IsFile() && word_.empty() && !present_) {
                while (position_ < text_.size() && text_[position_] != '\n')
                    ++position_;
                return;
            }
            break;
        case '\n':
            if (inQuotes_ && IsFile()) {
                ReportUnterminated();
                inQuotes_ = false;
            }
            if (IsFile()) {
                EndWord();
                ++line_;
                return;
            }
            if (!inQuotes_) {
                EndWord();
                return;
            }
            break;
        case '|':
            if (!inQuotes_) {
                EndWord();
                toDeferred_ = !toDeferred_;
                return;
            }
            break;
        default:
            if (IsBlank(c) && !inQuotes_) {
                EndWord();
                return;
            }
            break;
        }
        Add(c);
    }

    // %NAME% is a variable reference; any other ending adds the text literally.
    void ReadPercent()
    {
        std::string name = ReadName();
        if (position_ < text_.size() && text_[position_] == '%') {
            ++position_;
            if (name.empty()) {
                AddText("%%");
                return;
            }
            AddVariable(name);
            return;
        }
        Add('%');
        AddText(name);
    }

    // $NAME is a variable reference; an empty name adds the "$" itself.
    void ReadDollar()
    {
        std::string name = ReadName();
        if (name.empty()) {
            Add('$');
            return;
        }
        AddVariable(name);
    }

    std::string ReadName()
    {
        std::size_t start = position_;
        while (position_ < text_.size() && IsNameChar(text_[position_]))
            ++position_;
        return std::string(text_.substr(start, position_ - start));
    }

    void AddVariable(const std::string& name)
    {
        std::optional<std::string> value = HostGetEnv(name.c_str());
        if (!value || value->empty()) {
            EnvironRecord(name, std::nullopt);
            return;
        }
        EnvironRecord(name, *value);
        if (inQuotes_) {
            AddText(*value);
            return;
        }
        // Outside quotes the value is split at white space: its first piece continues the
        // current word, later pieces start new words, and the last stays open.
        std::string_view rest = *value;
        bool first = true;
        while (true) {
            std::size_t start = 0;
            while (start < rest.size() && (IsBlank(rest[start]) || rest[start] == '\n'))
                ++start;
            if (start > 0 || !first)
                EndWord();
            if (start >= rest.size())
                return;
            std::size_t end = start;
            while (end < rest.size() && !IsBlank(rest[end]) && rest[end] != '\n')
                ++end;
            AddText(rest.substr(start, end - start));
            rest = rest.substr(end);
            first = false;
            if (rest.empty())
                return;
        }
    }

    void Add(char c)
    {
        // A NUL character is never part of a word.
        if (c != '\0')
            word_ += c;
    }

    void AddText(std::string_view text)
    {
        for (char c : text)
            Add(c);
    }

    void EndWord()
    {
        if (!word_.empty() || present_) {
            if (toDeferred_) {
                if (deferred_)
                    ArgAddTail(*deferred_, word_);
            } else {
                words_.push_back(word_);
            }
        }
        word_.clear();
        present_ = false;
    }

    void ReportUnterminated()
    {
        Error(LEVEL_ERROR, "`%s': Unterminated %s quote at line %lu", fileName_->c_str(), "double",
              static_cast<unsigned long>(line_));
    }

    std::string_view text_;
    List* deferred_;
    const std::string* fileName_;
    std::size_t position_ = 0;
    std::vector<std::string> words_;
    std::string word_;
    bool present_ = false;
    bool inQuotes_ = false;
    bool toDeferred_ = false;
    std::size_t backslashes_ = 0;
    unsigned long line_ = 1;
};

} // namespace

std::optional<std::string> FileContents(std::string_view fileName, bool reportOpenFailure)
{
    const std::string name(fileName);
    FILE* file = HostOpenFile(name, "rb");
    if (!file) {
        if (reportOpenFailure)
            Error(LEVEL_CLIB, name);
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    // A read error (such as a directory given as a file) is reported like a failed close.
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    if (std::fclose(file) != 0 || failed) {
        if (failed)
            errno = readError;
        Error(LEVEL_CLIB, name);
    }
    return text;
}

std::vector<std::string> FileRead(std::string_view fileName, List* deferred)
{
    const std::string name(fileName);
    std::optional<std::string> text = FileContents(name, true);
    if (!text)
        return {};
    return Tokenizer(*text, deferred, &name).Run();
}

std::vector<std::string> FileReadString(std::string_view text, List* deferred)
{
    return Tokenizer(text, deferred, nullptr).Run();
}

std::vector<std::string> FileReadVar(const char* variable, List* deferred)
{
    std::optional<std::string> value = HostGetEnv(variable);
    if (!value || value->empty()) {
        EnvironRecord(variable, std::nullopt);
        return {};
    }
    EnvironRecord(variable, *value);
    return FileReadString(*value, deferred);
}

int FileReadSDE(std::string_view fileName, List& result)
{
    std::optional<std::string> text = FileContents(fileName, true);
    if (!text)
        return 0;
    int entries = 0;
    std::optional<std::string> key;
    std::string token;
    auto endToken = [&]() {
        if (!key)
            key = token;
        else if (!token.empty()) {
            ArgAddTail(result, *key, token);
            ++entries;
        }
        token.clear();
    };
    const std::string& t = *text;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '\\') {
            // A backslash takes the next character literally; before a newline it joins
            // the lines.
            if (i + 1 < t.size() && t[i + 1] != '\n')
                token += t[++i];
            else if (i + 1 < t.size())
                ++i;
        } else if (c == '#') {
            while (i + 1 < t.size() && t[i + 1] != '\n')
                ++i;
        } else if (c == ':') {
            endToken();
        } else if (c == '\n') {
            endToken();
            key.reset();
        } else if (!std::isspace(static_cast<unsigned char>(c)) && c != '\0') {
            token += c;
        }
    }
    endToken();
    return entries;
}

namespace {

// A word written to an option file reads back as the same word: the shared quoting,
// plus an empty quoted pair after every "$" and "%" that the reader would take as the
// start of a variable reference.
std::string QuoteForFile(const std::string& word)
{
    std::string quoted = ArgQuote(word, ArgEscapeSpec, ArgQuoteSpec);
    std::string out;
    out.reserve(quoted.size());
    bool inQuotes = false;
    std::size_t backslashes = 0;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        const char c = quoted[i];
        out += c;
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"' && backslashes % 2 == 0)
            inQuotes = !inQuotes;
        backslashes = 0;
        if ((c == '$' || c == '%') && inQuotes && i + 1 < quoted.size() && IsNameChar(quoted[i + 1]))
            out += "\"\"";
        else if (c == '%' && inQuotes && i + 1 < quoted.size() && quoted[i + 1] == '%')
            out += "\"\"";
    }
    return out;
}

} // namespace

int FileWrite(std::string_view fileName, const List& list, const char* kind, const char* program, const char* version)
{
    const std::string name(fileName);
    FILE* file = HostOpenFile(name, "w");
    if (!file) {
        Error(LEVEL_CLIB, name);
        return 0;
    }
    std::fprintf(file, "# %s options file generated by %s %s on ", kind, program, version);
    std::time_t now = std::time(nullptr);
    const char* text = now == static_cast<std::time_t>(-1) ? nullptr : std::ctime(&now);
    if (text)
        std::fprintf(file, "%s\n", text);
    else
        std::fputs("<creation time unknown>\n\n", file);
    std::string line;
    for (Arg* arg = ArgFirst(list); arg; arg = ArgNext(arg)) {
        if (arg != ArgFirst(list))
            line += ' ';
        line += QuoteForFile(arg->name);
    }
    FileWrap(file, line, 0, false);
    if (std::fclose(file) != 0)
        Error(LEVEL_CLIB, name);
    return 1;
}

int FileWriteHeaders(std::string_view fileName)
{
    const std::string name(fileName);
    FILE* file = HostOpenFile(name, "w");
    if (!file) {
        Error(LEVEL_CLIB, name);
        return 0;
    }
    List& headers = ArgLists[LIST_PREINCLUDES];
    while (Arg* header = ArgFirst(headers)) {
        const std::string& h = header->name;
        const bool absolute = (!h.empty() && h[0] == '\\') ||
                              (h.size() >= 2 && std::isalpha(static_cast<unsigned char>(h[0])) && h[1] == ':');
        std::string path = absolute ? h : CompressPath(BuildPath({FileLocs[LOC_CWD].view(), h}));
        std::fprintf(file, "#include \"%s\"\n", path.c_str());
        ArgRemove(headers, header);
    }
    if (std::fclose(file) != 0) {
        Error(LEVEL_CLIB, name);
        return 0;
    }
    return 1;
}

void FileWrap(FILE* stream, std::string_view text, int column, bool continuation)
{
    // Words are split at blanks outside double quotes; a quote after an odd run of
    // backslashes is escaped and does not count.
    bool inQuotes = false;
    bool firstWord = true;
    std::size_t backslashes = 0;
    long col = column;
    std::string word;
    auto flush = [&]() {
        if (word.empty())
            return;
        const long length = static_cast<long>(word.size());
        if (!firstWord && col != 0 && col + length + (continuation ? 2 : 0) >= 72) {
            std::fputs(continuation ? " \\\n" : "\n", stream);
            col = length;
        } else {
            if (!firstWord) {
                std::fputc(' ', stream);
                ++col;
            }
            col += length;
        }
        std::fwrite(word.data(), 1, word.size(), stream);
        firstWord = false;
        word.clear();
    };
    for (char c : text) {
        if (c == ' ' && !inQuotes) {
            flush();
            backslashes = 0;
            continue;
        }
        if (c == '"' && backslashes % 2 == 0)
            inQuotes = !inQuotes;
        backslashes = c == '\\' ? backslashes + 1 : 0;
        word += c;
    }
    flush();
    if (inQuotes)
        std::fputc('"', stream);
    if (col > 0)
        std::fputc('\n', stream);
}

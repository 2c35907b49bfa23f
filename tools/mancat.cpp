// Formats the manual page: {b:text} becomes bold and {u:text} underlined, written as
// overstrikes (a character, a backspace, then the character or an underscore before it).
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: mancat source output\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ofstream out(argv[2], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    char style = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (style == 0 && text[i] == '{' && i + 2 < text.size() && (text[i + 1] == 'b' || text[i + 1] == 'u') &&
            text[i + 2] == ':') {
            style = text[i + 1];
            i += 2;
            continue;
        }
        if (style != 0 && text[i] == '}') {
            style = 0;
            continue;
        }
        const char c = text[i];
        if (style == 'b' && c != ' ')
            out << c << '\b' << c;
        else if (style == 'u' && c != ' ')
            out << '_' << '\b' << c;
        else
            out << c;
    }
    return out ? 0 : 1;
}

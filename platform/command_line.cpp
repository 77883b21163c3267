#include "platform/command_line.h"

namespace platform {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Reads one argument starting at i (not at a blank); leaves i after it.
std::wstring ReadArgument(std::wstring_view s, std::size_t& i) {
    std::wstring arg;
    bool quoted = false;
    while (i < s.size() && (quoted || !IsBlank(s[i]))) {
        std::size_t slashes = 0;
        while (i < s.size() && s[i] == L'\\') {
            ++slashes;
            ++i;
        }
        if (i < s.size() && s[i] == L'"') {
            arg.append(slashes / 2, L'\\');
            if (slashes % 2 == 1) {
                arg.push_back(L'"');
            } else if (quoted && i + 1 < s.size() && s[i + 1] == L'"') {
                arg.push_back(L'"');
                ++i;
            } else {
                quoted = !quoted;
            }
            ++i;
        } else {
            arg.append(slashes, L'\\');
            if (slashes == 0 && i < s.size()) arg.push_back(s[i++]);
        }
    }
    return arg;
}

}  // namespace

std::vector<std::wstring> SplitArguments(std::wstring_view arguments) {
    std::vector<std::wstring> out;
    std::size_t i = 0;
    for (;;) {
        while (i < arguments.size() && IsBlank(arguments[i]))
            ++i;
        if (i >= arguments.size()) return out;
        out.push_back(ReadArgument(arguments, i));
    }
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
    std::size_t end = 0;
    std::wstring program;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        program = commandLine.substr(1, close == std::wstring_view::npos ? close : close - 1);
        end = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (end < commandLine.size() && !IsBlank(commandLine[end]))
            ++end;
        program = commandLine.substr(0, end);
    }
    std::vector<std::wstring> out{program};
    for (std::wstring& arg : SplitArguments(commandLine.substr(end)))
        out.push_back(std::move(arg));
    return out;
}

std::wstring QuoteArgument(std::wstring_view argument) {
    const bool plain =
        !argument.empty() && argument.find_first_of(L" \t\"") == std::wstring_view::npos;
    if (plain) return std::wstring(argument);
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out.push_back(c);
    }
    out.append(slashes * 2, L'\\');  // before the closing quote
    out.push_back(L'"');
    return out;
}

}  // namespace platform

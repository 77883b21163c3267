#include "viewer/viewer_command_line.h"

#include <cwchar>
#include <set>
#include <stdexcept>

namespace viewer {
namespace {

struct BadLine : std::runtime_error {
    explicit BadLine(std::wstring text)
        : std::runtime_error("bad line"), message(std::move(text)) {}
    std::wstring message;
};

std::int64_t Integer(const std::wstring& option, const std::wstring& text, std::int64_t low,
                     std::int64_t high) {
    std::size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(text, &used, 10);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text[0] == L'+' || value < low || value > high) {
        throw BadLine(option + L" needs a number from " + std::to_wstring(low) + L" to " +
                      std::to_wstring(high) + L", not \"" + text + L"\"");
    }
    return value;
}

class Reader {
  public:
    explicit Reader(const std::vector<std::wstring>& args) : args_(args) {}

    ViewerCommandLine Read() {
        ViewerCommandLine line;
        for (; next_ < args_.size(); ++next_) {
            const std::wstring& option = args_[next_];
            if (!seen_.insert(option).second) throw BadLine(option + L" is given twice");
            Apply(option, line);
        }
        if (!line.record) {
            for (const wchar_t* needsRecord : {L"-r", L"-f", L"-d", L"-e"}) {
                if (seen_.contains(needsRecord))
                    throw BadLine(std::wstring(needsRecord) + L" is only allowed with -x");
            }
        }
        return line;
    }

  private:
    const std::wstring& Value(const std::wstring& option) {
        if (next_ + 1 >= args_.size()) throw BadLine(option + L" needs a value");
        return args_[++next_];
    }

    void Apply(const std::wstring& option, ViewerCommandLine& line) {
        if (option == L"-n") {
            line.noVideo = true;
        } else if (option == L"-x") {
            line.record = true;
        } else if (option == L"-e") {
            line.errorLog = true;
        } else if (option == L"-c") {
            line.channel =
                static_cast<std::uint32_t>(Integer(option, Value(option), 0, 0xFFFFFFFF));
        } else if (option == L"-r") {
            line.minutes = static_cast<int>(Integer(option, Value(option), 1, 0xFFFF));
        } else if (option == L"-d") {
            line.d = static_cast<int>(Integer(option, Value(option), 0, 0x7FFFFFFF));
        } else if (option == L"-o") {
            line.device = static_cast<int>(Integer(option, Value(option), 0, 255));
        } else if (option == L"-f") {
            line.file = Value(option);
            if (line.file.empty()) throw BadLine(L"-f needs a file name");
        } else {
            throw BadLine(L"unknown argument \"" + option + L"\"");
        }
    }

    const std::vector<std::wstring>& args_;
    std::size_t next_ = 0;
    std::set<std::wstring> seen_;
};

}  // namespace

std::optional<ViewerCommandLine> ParseViewerCommandLine(const std::vector<std::wstring>& args,
                                                        std::wstring* error) {
    try {
        return Reader(args).Read();
    } catch (const BadLine& e) {
        if (error != nullptr) *error = e.message;
        return std::nullopt;
    }
}

}  // namespace viewer

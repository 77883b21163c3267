#include "broadcast/arib_additional_symbols.h"

#include <iterator>
#include <string_view>

#include "platform/code_page.h"

namespace broadcast {
namespace {

// One run of consecutive codes and the entry of its first code.
struct SymbolRun {
    std::uint16_t firstCode;
    std::uint16_t lastCode;
    std::size_t firstEntry;
};

constexpr SymbolRun kRuns[] = {
    {0x7A4D, 0x7A74, 0},   {0x7C21, 0x7C7B, 40},  {0x7D21, 0x7D5F, 131},
    {0x7D6E, 0x7D6F, 194}, {0x7E21, 0x7E7D, 196},
};

// The texts of all entries, run after run, each run in ascending code order.
const std::wstring_view kTexts[] = {
    L"10.",  L"11.",  L"12.",  L"[HV]", L"[SD]", L"[Ｐ]", L"[Ｗ]", L"[MV]",  L"[手]", L"[字]",
    L"[双]", L"[デ]", L"[Ｓ]", L"[二]", L"[多]", L"[解]", L"[SS]", L"[Ｂ]",  L"[Ｎ]", L"■",
    L"●",    L"[天]", L"[交]", L"[映]", L"[無]", L"[料]", L"[・]", L"[前]",  L"[後]", L"[再]",
    L"[新]", L"[初]", L"[終]", L"[生]", L"[販]", L"[声]", L"[吹]", L"[PPV]", L"(秘)", L"ほか",
    L"→",    L"←",    L"↑",    L"↓",    L"・",   L"・",   L"年",   L"月",    L"日",   L"円",
    L"m^2",  L"m^3",  L"cm",   L"cm^2", L"cm^3", L"０.",  L"１.",  L"２.",   L"３.",  L"４.",
    L"５.",  L"６.",  L"７.",  L"８.",  L"９.",  L"氏",   L"副",   L"元",    L"故",   L"前",
    L"後",   L"０,",  L"１,",  L"２,",  L"３,",  L"４,",  L"５,",  L"６,",   L"７,",  L"８,",
    L"９,",  L"[社]", L"[財]", L"[有]", L"[株]", L"[代]", L"(問)", L"・",    L"・",   L"・",
    L"・",   L"・",   L"・",   L"・",   L"(CD)", L"(vn)", L"(ob)", L"(cb)",  L"(ce",  L"mb)",
    L"(hp)", L"(br)", L"(ｐ)", L"(ｓ)", L"(ms)", L"(ｔ)", L"(bs)", L"(ｂ)",  L"(tb)", L"(tp)",
    L"(ds)", L"(ag)", L"(eg)", L"(vo)", L"(fl)", L"(ke",  L"y)",   L"(sa",   L"x)",   L"(sy",
    L"n)",   L"(or",  L"g)",   L"(pe",  L"r)",   L"(Ｒ)", L"(Ｃ)", L"(箏)",  L"ＤＪ", L"[演]",
    L"Fax",  L"(月)", L"(火)", L"(水)", L"(木)", L"(金)", L"(土)", L"(日)",  L"(祝)", L"㍾",
    L"㍽",   L"㍼",   L"㍻",   L"No.",  L"Tel",  L"(〒)", L"()()", L"[本]",  L"[三]", L"[二]",
    L"[安]", L"[点]", L"[打]", L"[盗]", L"[勝]", L"[敗]", L"[Ｓ]", L"[投]",  L"[捕]", L"[一]",
    L"[二]", L"[三]", L"[遊]", L"[左]", L"[中]", L"[右]", L"[指]", L"[走]",  L"[打]", L"l",
    L"kg",   L"Hz",   L"ha",   L"km",   L"km^2", L"hPa",  L"・",   L"・",    L"1/2",  L"0/3",
    L"1/3",  L"2/3",  L"1/4",  L"3/4",  L"1/5",  L"2/5",  L"3/5",  L"4/5",   L"1/6",  L"5/6",
    L"1/7",  L"1/8",  L"1/9",  L"1/10", L"!!",   L"!?",   L"Ⅰ",    L"Ⅱ",     L"Ⅲ",    L"Ⅳ",
    L"Ⅴ",    L"Ⅵ",    L"Ⅶ",    L"Ⅷ",    L"Ⅸ",    L"Ⅹ",    L"XI",   L"XII",   L"⑰",    L"⑱",
    L"⑲",    L"⑳",    L"(１)", L"(２)", L"(３)", L"(４)", L"(５)", L"(６)",  L"(７)", L"(８)",
    L"(９)", L"(10)", L"(11)", L"(12)", L"(21)", L"(22)", L"(23)", L"(24)",  L"(Ａ)", L"(Ｂ)",
    L"(Ｃ)", L"(Ｄ)", L"(Ｅ)", L"(Ｆ)", L"(Ｇ)", L"(Ｈ)", L"(Ｉ)", L"(Ｊ)",  L"(Ｋ)", L"(Ｌ)",
    L"(Ｍ)", L"(Ｎ)", L"(Ｏ)", L"(Ｐ)", L"(Ｑ)", L"(Ｒ)", L"(Ｓ)", L"(Ｔ)",  L"(Ｕ)", L"(Ｖ)",
    L"(Ｗ)", L"(Ｘ)", L"(Ｙ)", L"(Ｚ)", L"(25)", L"(26)", L"(27)", L"(28)",  L"(29)", L"(30)",
    L"①",    L"②",    L"③",    L"④",    L"⑤",    L"⑥",    L"⑦",    L"⑧",     L"⑨",    L"⑩",
    L"⑪",    L"⑫",    L"⑬",    L"⑭",    L"⑮",    L"⑯",    L"(１)", L"(２)",  L"(３)", L"(４)",
    L"(５)", L"(６)", L"(７)", L"(８)", L"(９)", L"(10)", L"(11)", L"(12)",  L"(31)",
};

// The runs follow each other without gaps in the entries and cover every text.
constexpr bool RunsCoverTexts() {
    std::size_t next = 0;
    for (const SymbolRun& run : kRuns) {
        if (run.firstEntry != next) return false;
        next += run.lastCode - run.firstCode + 1u;
    }
    return next == kAdditionalSymbolCount;
}
static_assert(RunsCoverTexts());
static_assert(std::size(kTexts) == kAdditionalSymbolCount);

std::array<AribAdditionalSymbolEntry, kAdditionalSymbolCount> BuildTable() {
    std::array<AribAdditionalSymbolEntry, kAdditionalSymbolCount> table{};
    for (const SymbolRun& run : kRuns) {
        for (unsigned code = run.firstCode; code <= run.lastCode; ++code) {
            const std::size_t entry = run.firstEntry + (code - run.firstCode);
            table[entry].code = static_cast<std::uint16_t>(code);
            table[entry].text = platform::WideToShiftJis(kTexts[entry]);
        }
    }
    return table;
}

}  // namespace

const std::array<AribAdditionalSymbolEntry, kAdditionalSymbolCount>& AdditionalSymbolTable() {
    static const auto table = BuildTable();
    return table;
}

int AdditionalSymbolIndex(std::uint16_t code) {
    for (const SymbolRun& run : kRuns) {
        if (code >= run.firstCode && code <= run.lastCode) {
            return static_cast<int>(run.firstEntry + (code - run.firstCode));
        }
    }
    return -1;
}

}  // namespace broadcast

// ARIB text decoding speed on typical event texts (names, descriptions, extended items), in MB/s
// of ARIB bytes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "broadcast/arib_decoder.h"
#include "broadcast_sim/arib_encoder.h"

namespace {

const std::vector<std::vector<std::uint8_t>>& SampleTexts() {
    static const auto texts = [] {
        const wchar_t* samples[] = {
            L"みなとニュース７時",
            L"[字][デ]　時代劇「風の記憶」第１２回「旅立ちの朝」",
            L"朝のドラマ　朝の光（８５）[解][字]",
            L"プロ野球中継２０２４　港町×桜ヶ丘　～みなと球場から中継～[二][字]",
            L"全国の気象情報と、週間天気予報をお伝えします。",
            L"出演：山田太郎，鈴木花子，佐藤一郎\r\n語り：高橋美咲\r\n音楽：田中健二",
            L"地方で暮らす家族の一年を追ったドキュメンタリー。春の田植えから秋の収穫まで、"
            L"三世代が力を合わせて米作りに取り組む姿を描く。ナレーションは俳優の中村。",
            L"Minato World News Tonight (2024) Part 1/3",
        };
        std::vector<std::vector<std::uint8_t>> out;
        for (const wchar_t* s : samples)
            out.push_back(broadcast_sim::EncodeAribText(s));
        return out;
    }();
    return texts;
}

void BM_AribToWString(benchmark::State& state) {
    const auto& texts = SampleTexts();
    std::size_t bytes = 0;
    for (const auto& t : texts)
        bytes += t.size();
    std::wstring out;
    for (auto _ : state) {
        for (const auto& t : texts) {
            broadcast::AribToWString(t.size(), t.data(), &out);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_AribToWString);

}  // namespace

#include "broadcast_sim/sample_schedule.h"

#include <array>
#include <string>

#include "broadcast_sim/sim_time.h"

namespace broadcast_sim {
namespace {

// A small deterministic generator (the same sequence on every platform).
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint32_t Next(std::uint32_t bound) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % bound;
    }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[Next(N)];
    }

  private:
    std::uint32_t state_;
};

constexpr std::array<const wchar_t*, 10> kTitles = {
    L"ニュース",         L"時代劇「風の記憶」", L"朝のドラマ「朝の光」",
    L"プロ野球中継",     L"港町さんぽ",         L"みなとの台所",
    L"路地裏の小さな店", L"調べの小箱",         L"さくら映画館「遠い海」",
    L"ふらり旅の手帖"};
constexpr std::array<const wchar_t*, 6> kMarks = {L"",         L"[字]",     L"[再]",
                                                  L"[字][デ]", L"[解][字]", L"[二][字]"};
constexpr std::array<const wchar_t*, 8> kPhrases = {
    L"春の田植えから秋の収穫まで、三世代が力を合わせて米作りに取り組む姿を描く。",
    L"全国の気象情報と、週間天気予報をお伝えします。",
    L"名所旧跡を巡りながら、土地の人々の暮らしと知恵に触れる旅。",
    L"番組では視聴者の皆さんから寄せられた疑問に専門家が答えます。",
    L"ＮＹ市場の動きと為替の最新情報、ＧＤＰ速報を詳しく解説。",
    L"山あいの小さな町で、老舗の旅館を守る家族の一年を追った。",
    L"第１２回。主人公は故郷を離れ、都で新たな一歩を踏み出す。",
    L"ゲストを迎えて、季節の食材を使った簡単な一品を紹介します。"};
constexpr std::array<const wchar_t*, 6> kPeople = {
    L"山田太郎，鈴木花子", L"佐藤一郎，高橋美咲，田中健二", L"潮見あゆ（声）", L"語り：汐田誠",
    L"解説：伊藤正樹",     L"波多野久美，加藤雄一"};
constexpr std::array<std::uint32_t, 7> kDurations = {15, 30, 30, 45, 60, 90, 120};  // minutes
constexpr std::array<EventGenre, 6> kGenres = {EventGenre{0x0, 0x0}, EventGenre{0x3, 0x0},
                                               EventGenre{0x1, 0x0}, EventGenre{0x8, 0x1},
                                               EventGenre{0x6, 0x0}, EventGenre{0x5, 0x1}};

std::wstring Phrases(Random& random, int count) {
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += random.Pick(kPhrases);
    return text;
}

EventDescription MakeEvent(Random& random, std::uint16_t id, const platform::SYSTEMTIME& start) {
    EventDescription e;
    e.event_id = id;
    e.start = start;
    e.duration_seconds = random.Pick(kDurations) * 60;
    e.name = std::wstring(random.Pick(kTitles)) + random.Pick(kMarks);
    e.text = Phrases(random, 1 + static_cast<int>(random.Next(2)));
    e.extended_items = {{L"番組内容", Phrases(random, 3 + static_cast<int>(random.Next(4)))},
                        {L"出演者", random.Pick(kPeople)}};
    if (random.Next(3) == 0) e.extended_items.push_back({L"音楽", L"作曲：森下洋介"});
    e.component = EventComponent{};
    e.component->text = L"映像１０８０ｉ";
    e.audio = EventAudio{};
    e.audio->text = random.Next(4) == 0 ? L"主音声／副音声" : L"";
    e.genres = {random.Pick(kGenres)};
    return e;
}

platform::SYSTEMTIME AddSeconds(const platform::SYSTEMTIME& t, std::uint32_t seconds) {
    return ToCalendar(ToTimeValue(t) + seconds * platform::kFileTimePerSecond);
}

}  // namespace

std::vector<EventDescription> MakeSampleEvents(const platform::SYSTEMTIME& from, int hours,
                                               std::uint16_t first_event_id, std::uint32_t seed) {
    Random random(seed);
    std::vector<EventDescription> events;
    std::uint32_t elapsed = 0;
    const std::uint32_t end = static_cast<std::uint32_t>(hours) * 3600;
    std::uint16_t id = first_event_id;
    while (elapsed < end) {
        events.push_back(MakeEvent(random, id++, AddSeconds(from, elapsed)));
        elapsed += events.back().duration_seconds;
    }
    return events;
}

}  // namespace broadcast_sim

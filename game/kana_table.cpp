// The romaji table of a Japanese input method: every spelling it turns into each kana.
#include "game/kana_table.h"

namespace {

// Every row is the default romaji table of Google Japanese Input (Mozc,
// src/data/preedit/romanji-hiragana.tsv), gathered by the kana it gives; Anthy's default
// table gives the same kana for every spelling the two share. Left out are its symbols (typed
// as they stand here) and its doubled consonants, which the sokuon row stands for.
constexpr KanaRow rows[] = {
    {{"xa", "la"}},                                          // ぁ
    {{"a"}},                                                 // あ
    {{"xi", "li", "xyi", "lyi"}},                            // ぃ
    {{"i"}},                                                 // い
    {{"ye"}, KanaKind::plain, "i", "xe"},                    // いぇ
    {{"xu", "lu"}},                                          // ぅ
    {{"u", "wu", "whu"}},                                    // う
    {{"wha"}, KanaKind::plain, "u", "xa"},                   // うぁ
    {{"wi", "whi"}, KanaKind::plain, "u", "xi"},             // うぃ
    {{"we", "whe"}, KanaKind::plain, "u", "xe"},             // うぇ
    {{"who"}, KanaKind::plain, "u", "xo"},                   // うぉ
    {{"xe", "le", "xye", "lye"}},                            // ぇ
    {{"e"}},                                                 // え
    {{"xo", "lo"}},                                          // ぉ
    {{"o"}},                                                 // お
    {{"ka", "ca"}},                                          // か
    {{"ga"}},                                                // が
    {{"ki"}},                                                // き
    {{"kyi"}, KanaKind::plain, "ki", "xi"},                  // きぃ
    {{"kye"}, KanaKind::plain, "ki", "xe"},                  // きぇ
    {{"kya"}, KanaKind::plain, "ki", "xya"},                 // きゃ
    {{"kyu"}, KanaKind::plain, "ki", "xyu"},                 // きゅ
    {{"kyo"}, KanaKind::plain, "ki", "xyo"},                 // きょ
    {{"gi"}},                                                // ぎ
    {{"gyi"}, KanaKind::plain, "gi", "xi"},                  // ぎぃ
    {{"gye"}, KanaKind::plain, "gi", "xe"},                  // ぎぇ
    {{"gya"}, KanaKind::plain, "gi", "xya"},                 // ぎゃ
    {{"gyu"}, KanaKind::plain, "gi", "xyu"},                 // ぎゅ
    {{"gyo"}, KanaKind::plain, "gi", "xyo"},                 // ぎょ
    {{"ku", "cu", "qu"}},                                    // く
    {{"kwa", "qa"}, KanaKind::plain, "ku", "xa"},            // くぁ
    {{"kwi", "qi"}, KanaKind::plain, "ku", "xi"},            // くぃ
    {{"kwe", "qe"}, KanaKind::plain, "ku", "xe"},            // くぇ
    {{"kwo", "qo"}, KanaKind::plain, "ku", "xo"},            // くぉ
    {{"gu"}},                                                // ぐ
    {{"gwa"}, KanaKind::plain, "gu", "xa"},                  // ぐぁ
    {{"ke"}},                                                // け
    {{"ge"}},                                                // げ
    {{"ko", "co"}},                                          // こ
    {{"go"}},                                                // ご
    {{"sa"}},                                                // さ
    {{"za"}},                                                // ざ
    {{"shi", "si", "ci"}},                                   // し
    {{"syi"}, KanaKind::plain, "shi", "xi"},                 // しぃ
    {{"she", "sye"}, KanaKind::plain, "shi", "xe"},          // しぇ
    {{"sha", "sya"}, KanaKind::plain, "shi", "xya"},         // しゃ
    {{"shu", "syu"}, KanaKind::plain, "shi", "xyu"},         // しゅ
    {{"sho", "syo"}, KanaKind::plain, "shi", "xyo"},         // しょ
    {{"ji", "zi"}},                                          // じ
    {{"jyi", "zyi"}, KanaKind::plain, "ji", "xi"},           // じぃ
    {{"je", "jye", "zye"}, KanaKind::plain, "ji", "xe"},     // じぇ
    {{"ja", "jya", "zya"}, KanaKind::plain, "ji", "xya"},    // じゃ
    {{"ju", "jyu", "zyu"}, KanaKind::plain, "ji", "xyu"},    // じゅ
    {{"jo", "jyo", "zyo"}, KanaKind::plain, "ji", "xyo"},    // じょ
    {{"su"}},                                                // す
    {{"zu"}},                                                // ず
    {{"se", "ce"}},                                          // せ
    {{"ze"}},                                                // ぜ
    {{"so"}},                                                // そ
    {{"zo"}},                                                // ぞ
    {{"ta"}},                                                // た
    {{"da"}},                                                // だ
    {{"chi", "ti"}},                                         // ち
    {{"tyi", "cyi"}, KanaKind::plain, "chi", "xi"},          // ちぃ
    {{"che", "tye", "cye"}, KanaKind::plain, "chi", "xe"},   // ちぇ
    {{"cha", "tya", "cya"}, KanaKind::plain, "chi", "xya"},  // ちゃ
    {{"chu", "tyu", "cyu"}, KanaKind::plain, "chi", "xyu"},  // ちゅ
    {{"cho", "tyo", "cyo"}, KanaKind::plain, "chi", "xyo"},  // ちょ
    {{"di"}},                                                // ぢ
    {{"dyi"}, KanaKind::plain, "di", "xi"},                  // ぢぃ
    {{"dye"}, KanaKind::plain, "di", "xe"},                  // ぢぇ
    {{"dya"}, KanaKind::plain, "di", "xya"},                 // ぢゃ
    {{"dyu"}, KanaKind::plain, "di", "xyu"},                 // ぢゅ
    {{"dyo"}, KanaKind::plain, "di", "xyo"},                 // ぢょ
    {{"xtu", "ltu", "xtsu", "ltsu"}, KanaKind::sokuon},      // っ
    {{"tsu", "tu"}},                                         // つ
    {{"tsa"}, KanaKind::plain, "tsu", "xa"},                 // つぁ
    {{"tsi"}, KanaKind::plain, "tsu", "xi"},                 // つぃ
    {{"tse"}, KanaKind::plain, "tsu", "xe"},                 // つぇ
    {{"tso"}, KanaKind::plain, "tsu", "xo"},                 // つぉ
    {{"du"}},                                                // づ
    {{"te"}},                                                // て
    {{"thi", "t'i"}, KanaKind::plain, "te", "xi"},           // てぃ
    {{"the"}, KanaKind::plain, "te", "xe"},                  // てぇ
    {{"tha"}, KanaKind::plain, "te", "xya"},                 // てゃ
    {{"thu", "t'yu"}, KanaKind::plain, "te", "xyu"},         // てゅ
    {{"tho"}, KanaKind::plain, "te", "xyo"},                 // てょ
    {{"de"}},                                                // で
    {{"dhi", "d'i"}, KanaKind::plain, "de", "xi"},           // でぃ
    {{"dhe"}, KanaKind::plain, "de", "xe"},                  // でぇ
    {{"dha"}, KanaKind::plain, "de", "xya"},                 // でゃ
    {{"dhu", "d'yu"}, KanaKind::plain, "de", "xyu"},         // でゅ
    {{"dho"}, KanaKind::plain, "de", "xyo"},                 // でょ
    {{"to"}},                                                // と
    {{"twa"}, KanaKind::plain, "to", "xa"},                  // とぁ
    {{"twi"}, KanaKind::plain, "to", "xi"},                  // とぃ
    {{"twu", "t'u"}, KanaKind::plain, "to", "xu"},           // とぅ
    {{"twe"}, KanaKind::plain, "to", "xe"},                  // とぇ
    {{"two"}, KanaKind::plain, "to", "xo"},                  // とぉ
    {{"do"}},                                                // ど
    {{"dwa"}, KanaKind::plain, "do", "xa"},                  // どぁ
    {{"dwi"}, KanaKind::plain, "do", "xi"},                  // どぃ
    {{"dwu", "d'u"}, KanaKind::plain, "do", "xu"},           // どぅ
    {{"dwe"}, KanaKind::plain, "do", "xe"},                  // どぇ
    {{"dwo"}, KanaKind::plain, "do", "xo"},                  // どぉ
    {{"na"}},                                                // な
    {{"ni"}},                                                // に
    {{"nyi"}, KanaKind::plain, "ni", "xi"},                  // にぃ
    {{"nye"}, KanaKind::plain, "ni", "xe"},                  // にぇ
    {{"nya"}, KanaKind::plain, "ni", "xya"},                 // にゃ
    {{"nyu"}, KanaKind::plain, "ni", "xyu"},                 // にゅ
    {{"nyo"}, KanaKind::plain, "ni", "xyo"},                 // にょ
    {{"nu"}},                                                // ぬ
    {{"ne"}},                                                // ね
    {{"no"}},                                                // の
    {{"ha"}},                                                // は
    {{"ba"}},                                                // ば
    {{"pa"}},                                                // ぱ
    {{"hi"}},                                                // ひ
    {{"hyi"}, KanaKind::plain, "hi", "xi"},                  // ひぃ
    {{"hye"}, KanaKind::plain, "hi", "xe"},                  // ひぇ
    {{"hya"}, KanaKind::plain, "hi", "xya"},                 // ひゃ
    {{"hyu"}, KanaKind::plain, "hi", "xyu"},                 // ひゅ
    {{"hyo"}, KanaKind::plain, "hi", "xyo"},                 // ひょ
    {{"bi"}},                                                // び
    {{"byi"}, KanaKind::plain, "bi", "xi"},                  // びぃ
    {{"bye"}, KanaKind::plain, "bi", "xe"},                  // びぇ
    {{"bya"}, KanaKind::plain, "bi", "xya"},                 // びゃ
    {{"byu"}, KanaKind::plain, "bi", "xyu"},                 // びゅ
    {{"byo"}, KanaKind::plain, "bi", "xyo"},                 // びょ
    {{"pi"}},                                                // ぴ
    {{"pyi"}, KanaKind::plain, "pi", "xi"},                  // ぴぃ
    {{"pye"}, KanaKind::plain, "pi", "xe"},                  // ぴぇ
    {{"pya"}, KanaKind::plain, "pi", "xya"},                 // ぴゃ
    {{"pyu"}, KanaKind::plain, "pi", "xyu"},                 // ぴゅ
    {{"pyo"}, KanaKind::plain, "pi", "xyo"},                 // ぴょ
    {{"fu", "hu"}},                                          // ふ
    {{"fa", "hwa"}, KanaKind::plain, "fu", "xa"},            // ふぁ
    {{"fi", "hwi"}, KanaKind::plain, "fu", "xi"},            // ふぃ
    {{"fe", "hwe"}, KanaKind::plain, "fu", "xe"},            // ふぇ
    {{"fo", "hwo"}, KanaKind::plain, "fu", "xo"},            // ふぉ
    {{"fya"}, KanaKind::plain, "fu", "xya"},                 // ふゃ
    {{"fyu", "hwyu"}, KanaKind::plain, "fu", "xyu"},         // ふゅ
    {{"fyo"}, KanaKind::plain, "fu", "xyo"},                 // ふょ
    {{"bu"}},                                                // ぶ
    {{"pu"}},                                                // ぷ
    {{"he"}},                                                // へ
    {{"be"}},                                                // べ
    {{"pe"}},                                                // ぺ
    {{"ho"}},                                                // ほ
    {{"bo"}},                                                // ぼ
    {{"po"}},                                                // ぽ
    {{"ma"}},                                                // ま
    {{"mi"}},                                                // み
    {{"myi"}, KanaKind::plain, "mi", "xi"},                  // みぃ
    {{"mye"}, KanaKind::plain, "mi", "xe"},                  // みぇ
    {{"mya"}, KanaKind::plain, "mi", "xya"},                 // みゃ
    {{"myu"}, KanaKind::plain, "mi", "xyu"},                 // みゅ
    {{"myo"}, KanaKind::plain, "mi", "xyo"},                 // みょ
    {{"mu"}},                                                // む
    {{"me"}},                                                // め
    {{"mo"}},                                                // も
    {{"xya", "lya"}},                                        // ゃ
    {{"ya"}},                                                // や
    {{"xyu", "lyu"}},                                        // ゅ
    {{"yu"}},                                                // ゆ
    {{"xyo", "lyo"}},                                        // ょ
    {{"yo"}},                                                // よ
    {{"ra"}},                                                // ら
    {{"ri"}},                                                // り
    {{"ryi"}, KanaKind::plain, "ri", "xi"},                  // りぃ
    {{"rye"}, KanaKind::plain, "ri", "xe"},                  // りぇ
    {{"rya"}, KanaKind::plain, "ri", "xya"},                 // りゃ
    {{"ryu"}, KanaKind::plain, "ri", "xyu"},                 // りゅ
    {{"ryo"}, KanaKind::plain, "ri", "xyo"},                 // りょ
    {{"ru"}},                                                // る
    {{"re"}},                                                // れ
    {{"ro"}},                                                // ろ
    {{"xwa", "lwa"}},                                        // ゎ
    {{"wa"}},                                                // わ
    {{"wyi"}},                                               // ゐ
    {{"wye"}},                                               // ゑ
    {{"wo"}},                                                // を
    {{"nn", "xn", "n'", "n"}, KanaKind::moraicN},            // ん
    {{"vu"}},                                                // ゔ
    {{"va"}, KanaKind::plain, "vu", "xa"},                   // ゔぁ
    {{"vi", "vyi"}, KanaKind::plain, "vu", "xi"},            // ゔぃ
    {{"ve", "vye"}, KanaKind::plain, "vu", "xe"},            // ゔぇ
    {{"vo"}, KanaKind::plain, "vu", "xo"},                   // ゔぉ
    {{"vya"}, KanaKind::plain, "vu", "xya"},                 // ゔゃ
    {{"vyu"}, KanaKind::plain, "vu", "xyu"},                 // ゔゅ
    {{"vyo"}, KanaKind::plain, "vu", "xyo"},                 // ゔょ
    {{"xka", "lka"}},                                        // ヵ
    {{"xke", "lke"}},                                        // ヶ
};

constexpr int rowCount = static_cast<int>(sizeof rows / sizeof rows[0]);

constexpr int listedCount(const KanaRow& row) {
    int count = 0;
    while (count < maxListedSpellings && row.spellings[count] != nullptr) ++count;
    return count;
}

constexpr int rowNamed(std::string_view firstSpelling) {
    for (int r = 0; r < rowCount; ++r) {
        if (firstSpelling == rows[r].spellings[0]) return r;
    }
    return -1;
}

struct Split {
    int base = -1;
    int small = -1;
};

// The two rows of every two-kana row, found once while compiling.
constexpr auto splits = [] {
    struct Splits {
        Split of[rowCount];
    } result;
    for (int r = 0; r < rowCount; ++r) {
        if (rows[r].base != nullptr) {
            result.of[r] = {rowNamed(rows[r].base), rowNamed(rows[r].small)};
        }
    }
    return result;
}();

constexpr bool splitsResolved() {
    for (int r = 0; r < rowCount; ++r) {
        if (rows[r].base != nullptr && (splits.of[r].base < 0 || splits.of[r].small < 0)) {
            return false;
        }
    }
    return true;
}
static_assert(splitsResolved(), "a two-kana row names a row that does not exist");

constexpr int longestOf(int row) {
    int longest = 0;
    for (int s = 0; s < listedCount(rows[row]); ++s) {
        const int length = static_cast<int>(std::string_view(rows[row].spellings[s]).size());
        if (length > longest) longest = length;
    }
    return longest;
}

constexpr bool spellingsFit() {
    for (int r = 0; r < rowCount; ++r) {
        int longest = longestOf(r);
        if (rows[r].base != nullptr) {
            const int both = longestOf(splits.of[r].base) + longestOf(splits.of[r].small);
            if (both > longest) longest = both;
        }
        if (longest > maxSpellingLength) return false;
    }
    return true;
}
static_assert(spellingsFit(), "a spelling is longer than maxSpellingLength");

}  // namespace

int kanaRowCount() { return rowCount; }

const KanaRow& kanaRow(int row) { return rows[row]; }

int listedSpellingCount(int row) { return listedCount(rows[row]); }

int baseRow(int row) { return splits.of[row].base; }

int smallRow(int row) { return splits.of[row].small; }

int rowOfSpelling(std::string_view spelling) {
    for (int r = 0; r < rowCount; ++r) {
        for (int s = 0; s < listedCount(rows[r]); ++s) {
            if (spelling == rows[r].spellings[s]) return r;
        }
    }
    return -1;
}

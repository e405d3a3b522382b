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

// Each row's kana in code page 932, row for row: what the player's misses are counted by.
// The code page has no hiragana vu: ゔ is written ヴ.
constexpr const char* rowKana[] = {
    "\x82\x9F",          // ぁ
    "\x82\xA0",          // あ
    "\x82\xA1",          // ぃ
    "\x82\xA2",          // い
    "\x82\xA2\x82\xA5",  // いぇ
    "\x82\xA3",          // ぅ
    "\x82\xA4",          // う
    "\x82\xA4\x82\x9F",  // うぁ
    "\x82\xA4\x82\xA1",  // うぃ
    "\x82\xA4\x82\xA5",  // うぇ
    "\x82\xA4\x82\xA7",  // うぉ
    "\x82\xA5",          // ぇ
    "\x82\xA6",          // え
    "\x82\xA7",          // ぉ
    "\x82\xA8",          // お
    "\x82\xA9",          // か
    "\x82\xAA",          // が
    "\x82\xAB",          // き
    "\x82\xAB\x82\xA1",  // きぃ
    "\x82\xAB\x82\xA5",  // きぇ
    "\x82\xAB\x82\xE1",  // きゃ
    "\x82\xAB\x82\xE3",  // きゅ
    "\x82\xAB\x82\xE5",  // きょ
    "\x82\xAC",          // ぎ
    "\x82\xAC\x82\xA1",  // ぎぃ
    "\x82\xAC\x82\xA5",  // ぎぇ
    "\x82\xAC\x82\xE1",  // ぎゃ
    "\x82\xAC\x82\xE3",  // ぎゅ
    "\x82\xAC\x82\xE5",  // ぎょ
    "\x82\xAD",          // く
    "\x82\xAD\x82\x9F",  // くぁ
    "\x82\xAD\x82\xA1",  // くぃ
    "\x82\xAD\x82\xA5",  // くぇ
    "\x82\xAD\x82\xA7",  // くぉ
    "\x82\xAE",          // ぐ
    "\x82\xAE\x82\x9F",  // ぐぁ
    "\x82\xAF",          // け
    "\x82\xB0",          // げ
    "\x82\xB1",          // こ
    "\x82\xB2",          // ご
    "\x82\xB3",          // さ
    "\x82\xB4",          // ざ
    "\x82\xB5",          // し
    "\x82\xB5\x82\xA1",  // しぃ
    "\x82\xB5\x82\xA5",  // しぇ
    "\x82\xB5\x82\xE1",  // しゃ
    "\x82\xB5\x82\xE3",  // しゅ
    "\x82\xB5\x82\xE5",  // しょ
    "\x82\xB6",          // じ
    "\x82\xB6\x82\xA1",  // じぃ
    "\x82\xB6\x82\xA5",  // じぇ
    "\x82\xB6\x82\xE1",  // じゃ
    "\x82\xB6\x82\xE3",  // じゅ
    "\x82\xB6\x82\xE5",  // じょ
    "\x82\xB7",          // す
    "\x82\xB8",          // ず
    "\x82\xB9",          // せ
    "\x82\xBA",          // ぜ
    "\x82\xBB",          // そ
    "\x82\xBC",          // ぞ
    "\x82\xBD",          // た
    "\x82\xBE",          // だ
    "\x82\xBF",          // ち
    "\x82\xBF\x82\xA1",  // ちぃ
    "\x82\xBF\x82\xA5",  // ちぇ
    "\x82\xBF\x82\xE1",  // ちゃ
    "\x82\xBF\x82\xE3",  // ちゅ
    "\x82\xBF\x82\xE5",  // ちょ
    "\x82\xC0",          // ぢ
    "\x82\xC0\x82\xA1",  // ぢぃ
    "\x82\xC0\x82\xA5",  // ぢぇ
    "\x82\xC0\x82\xE1",  // ぢゃ
    "\x82\xC0\x82\xE3",  // ぢゅ
    "\x82\xC0\x82\xE5",  // ぢょ
    "\x82\xC1",          // っ
    "\x82\xC2",          // つ
    "\x82\xC2\x82\x9F",  // つぁ
    "\x82\xC2\x82\xA1",  // つぃ
    "\x82\xC2\x82\xA5",  // つぇ
    "\x82\xC2\x82\xA7",  // つぉ
    "\x82\xC3",          // づ
    "\x82\xC4",          // て
    "\x82\xC4\x82\xA1",  // てぃ
    "\x82\xC4\x82\xA5",  // てぇ
    "\x82\xC4\x82\xE1",  // てゃ
    "\x82\xC4\x82\xE3",  // てゅ
    "\x82\xC4\x82\xE5",  // てょ
    "\x82\xC5",          // で
    "\x82\xC5\x82\xA1",  // でぃ
    "\x82\xC5\x82\xA5",  // でぇ
    "\x82\xC5\x82\xE1",  // でゃ
    "\x82\xC5\x82\xE3",  // でゅ
    "\x82\xC5\x82\xE5",  // でょ
    "\x82\xC6",          // と
    "\x82\xC6\x82\x9F",  // とぁ
    "\x82\xC6\x82\xA1",  // とぃ
    "\x82\xC6\x82\xA3",  // とぅ
    "\x82\xC6\x82\xA5",  // とぇ
    "\x82\xC6\x82\xA7",  // とぉ
    "\x82\xC7",          // ど
    "\x82\xC7\x82\x9F",  // どぁ
    "\x82\xC7\x82\xA1",  // どぃ
    "\x82\xC7\x82\xA3",  // どぅ
    "\x82\xC7\x82\xA5",  // どぇ
    "\x82\xC7\x82\xA7",  // どぉ
    "\x82\xC8",          // な
    "\x82\xC9",          // に
    "\x82\xC9\x82\xA1",  // にぃ
    "\x82\xC9\x82\xA5",  // にぇ
    "\x82\xC9\x82\xE1",  // にゃ
    "\x82\xC9\x82\xE3",  // にゅ
    "\x82\xC9\x82\xE5",  // にょ
    "\x82\xCA",          // ぬ
    "\x82\xCB",          // ね
    "\x82\xCC",          // の
    "\x82\xCD",          // は
    "\x82\xCE",          // ば
    "\x82\xCF",          // ぱ
    "\x82\xD0",          // ひ
    "\x82\xD0\x82\xA1",  // ひぃ
    "\x82\xD0\x82\xA5",  // ひぇ
    "\x82\xD0\x82\xE1",  // ひゃ
    "\x82\xD0\x82\xE3",  // ひゅ
    "\x82\xD0\x82\xE5",  // ひょ
    "\x82\xD1",          // び
    "\x82\xD1\x82\xA1",  // びぃ
    "\x82\xD1\x82\xA5",  // びぇ
    "\x82\xD1\x82\xE1",  // びゃ
    "\x82\xD1\x82\xE3",  // びゅ
    "\x82\xD1\x82\xE5",  // びょ
    "\x82\xD2",          // ぴ
    "\x82\xD2\x82\xA1",  // ぴぃ
    "\x82\xD2\x82\xA5",  // ぴぇ
    "\x82\xD2\x82\xE1",  // ぴゃ
    "\x82\xD2\x82\xE3",  // ぴゅ
    "\x82\xD2\x82\xE5",  // ぴょ
    "\x82\xD3",          // ふ
    "\x82\xD3\x82\x9F",  // ふぁ
    "\x82\xD3\x82\xA1",  // ふぃ
    "\x82\xD3\x82\xA5",  // ふぇ
    "\x82\xD3\x82\xA7",  // ふぉ
    "\x82\xD3\x82\xE1",  // ふゃ
    "\x82\xD3\x82\xE3",  // ふゅ
    "\x82\xD3\x82\xE5",  // ふょ
    "\x82\xD4",          // ぶ
    "\x82\xD5",          // ぷ
    "\x82\xD6",          // へ
    "\x82\xD7",          // べ
    "\x82\xD8",          // ぺ
    "\x82\xD9",          // ほ
    "\x82\xDA",          // ぼ
    "\x82\xDB",          // ぽ
    "\x82\xDC",          // ま
    "\x82\xDD",          // み
    "\x82\xDD\x82\xA1",  // みぃ
    "\x82\xDD\x82\xA5",  // みぇ
    "\x82\xDD\x82\xE1",  // みゃ
    "\x82\xDD\x82\xE3",  // みゅ
    "\x82\xDD\x82\xE5",  // みょ
    "\x82\xDE",          // む
    "\x82\xDF",          // め
    "\x82\xE0",          // も
    "\x82\xE1",          // ゃ
    "\x82\xE2",          // や
    "\x82\xE3",          // ゅ
    "\x82\xE4",          // ゆ
    "\x82\xE5",          // ょ
    "\x82\xE6",          // よ
    "\x82\xE7",          // ら
    "\x82\xE8",          // り
    "\x82\xE8\x82\xA1",  // りぃ
    "\x82\xE8\x82\xA5",  // りぇ
    "\x82\xE8\x82\xE1",  // りゃ
    "\x82\xE8\x82\xE3",  // りゅ
    "\x82\xE8\x82\xE5",  // りょ
    "\x82\xE9",          // る
    "\x82\xEA",          // れ
    "\x82\xEB",          // ろ
    "\x82\xEC",          // ゎ
    "\x82\xED",          // わ
    "\x82\xEE",          // ゐ
    "\x82\xEF",          // ゑ
    "\x82\xF0",          // を
    "\x82\xF1",          // ん
    "\x83\x94",          // ヴ
    "\x83\x94\x82\x9F",  // ヴぁ
    "\x83\x94\x82\xA1",  // ヴぃ
    "\x83\x94\x82\xA5",  // ヴぇ
    "\x83\x94\x82\xA7",  // ヴぉ
    "\x83\x94\x82\xE1",  // ヴゃ
    "\x83\x94\x82\xE3",  // ヴゅ
    "\x83\x94\x82\xE5",  // ヴょ
    "\x83\x95",          // ヵ
    "\x83\x96",          // ヶ
};
static_assert(sizeof rowKana / sizeof rowKana[0] == sizeof rows / sizeof rows[0],
              "every row has its kana");

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

const char* kanaOfRow(int row) { return rowKana[row]; }

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

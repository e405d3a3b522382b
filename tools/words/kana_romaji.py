"""Kana to romaji as a player types it on a Japanese input method.

The one convention of the word list: ん is always "nn", し "shi", ち "chi", つ "tsu", ふ "fu",
じ "ji", しゃ "sha", ちゃ "cha", じゃ "ja"; っ doubles the first letter of the next syllable
(っち "cchi"); ー is "-"; は, を, へ are written "ha", "wo", "he" wherever they stand.
"""

SINGLE = {
    'ア': 'a', 'イ': 'i', 'ウ': 'u', 'エ': 'e', 'オ': 'o',
    'カ': 'ka', 'キ': 'ki', 'ク': 'ku', 'ケ': 'ke', 'コ': 'ko',
    'ガ': 'ga', 'ギ': 'gi', 'グ': 'gu', 'ゲ': 'ge', 'ゴ': 'go',
    'サ': 'sa', 'シ': 'shi', 'ス': 'su', 'セ': 'se', 'ソ': 'so',
    'ザ': 'za', 'ジ': 'ji', 'ズ': 'zu', 'ゼ': 'ze', 'ゾ': 'zo',
    'タ': 'ta', 'チ': 'chi', 'ツ': 'tsu', 'テ': 'te', 'ト': 'to',
    'ダ': 'da', 'ヂ': 'di', 'ヅ': 'du', 'デ': 'de', 'ド': 'do',
    'ナ': 'na', 'ニ': 'ni', 'ヌ': 'nu', 'ネ': 'ne', 'ノ': 'no',
    'ハ': 'ha', 'ヒ': 'hi', 'フ': 'fu', 'ヘ': 'he', 'ホ': 'ho',
    'バ': 'ba', 'ビ': 'bi', 'ブ': 'bu', 'ベ': 'be', 'ボ': 'bo',
    'パ': 'pa', 'ピ': 'pi', 'プ': 'pu', 'ペ': 'pe', 'ポ': 'po',
    'マ': 'ma', 'ミ': 'mi', 'ム': 'mu', 'メ': 'me', 'モ': 'mo',
    'ヤ': 'ya', 'ユ': 'yu', 'ヨ': 'yo',
    'ラ': 'ra', 'リ': 'ri', 'ル': 'ru', 'レ': 're', 'ロ': 'ro',
    'ワ': 'wa', 'ヰ': 'wi', 'ヱ': 'we', 'ヲ': 'wo', 'ン': 'nn', 'ヴ': 'vu',
    'ァ': 'xa', 'ィ': 'xi', 'ゥ': 'xu', 'ェ': 'xe', 'ォ': 'xo',
    'ャ': 'xya', 'ュ': 'xyu', 'ョ': 'xyo', 'ヮ': 'xwa', 'ー': '-',
}

# A syllable written with a small kana after it; tried before the single kana.
PAIR = {}
for base, stem in [('キ', 'ky'), ('ギ', 'gy'), ('ニ', 'ny'), ('ヒ', 'hy'), ('ビ', 'by'),
                   ('ピ', 'py'), ('ミ', 'my'), ('リ', 'ry'), ('ヂ', 'dy')]:
    PAIR[base + 'ャ'], PAIR[base + 'ュ'], PAIR[base + 'ョ'] = stem + 'a', stem + 'u', stem + 'o'
for base, stem in [('シ', 'sh'), ('チ', 'ch'), ('ジ', 'j')]:
    PAIR[base + 'ャ'], PAIR[base + 'ュ'], PAIR[base + 'ョ'] = stem + 'a', stem + 'u', stem + 'o'
    PAIR[base + 'ェ'] = stem + 'e'
PAIR.update({
    'ファ': 'fa', 'フィ': 'fi', 'フェ': 'fe', 'フォ': 'fo', 'フュ': 'fyu',
    'ティ': 'thi', 'ディ': 'dhi', 'デュ': 'dhu', 'トゥ': 'twu', 'ドゥ': 'dwu',
    'ウィ': 'wi', 'ウェ': 'we', 'ウォ': 'who', 'ツァ': 'tsa', 'ツェ': 'tse', 'ツォ': 'tso',
    'ヴァ': 'va', 'ヴィ': 'vi', 'ヴェ': 've', 'ヴォ': 'vo', 'イェ': 'ye',
})


def to_katakana(text):
    """Hiragana become katakana; everything else stays."""
    return ''.join(chr(ord(ch) + 0x60) if 'ぁ' <= ch <= 'ゖ' else ch for ch in text)


def kana_to_romaji(kana):
    """Romaji of a kana string, or None when it holds anything that is not kana."""
    kana = to_katakana(kana)
    syllables = []
    i = 0
    while i < len(kana):
        if kana[i:i + 2] in PAIR:
            syllables.append(PAIR[kana[i:i + 2]])
            i += 2
        elif kana[i] == 'ッ':
            syllables.append('ッ')
            i += 1
        elif kana[i] in SINGLE:
            syllables.append(SINGLE[kana[i]])
            i += 1
        else:
            return None
    out = []
    for k, syllable in enumerate(syllables):
        if syllable != 'ッ':
            out.append(syllable)
            continue
        following = syllables[k + 1] if k + 1 < len(syllables) else ''
        # A small tsu before a vowel, ん, ー or at the end has nothing to double.
        if following and following[0] not in 'aiueon-' and following != 'ッ':
            out.append(following[0])
        else:
            out.append('xtsu')
    return ''.join(out)


def kana_count(kana):
    """Number of kana characters, small ones and ー included."""
    return len(to_katakana(kana))

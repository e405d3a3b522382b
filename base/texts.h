// The program's own texts, as code page 932 bytes (the source stays ASCII); each with its
// reading in a comment.
#pragma once

// Error
inline constexpr char textErrorCaption[] = "Error";
// Words.txtが開けません
inline constexpr char textWordsCannotOpen[] =
    "Words.txt\x82\xAA\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1";
// Words.txtの[EASY]に単語がありません
inline constexpr char textWordsEmptyEasy[] =
    "Words.txt\x82\xCC[EASY]\x82\xC9\x92P\x8C\xEA\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// Words.txtの[NORMAL]に単語がありません
inline constexpr char textWordsEmptyNormal[] =
    "Words.txt\x82\xCC[NORMAL]"
    "\x82\xC9\x92P\x8C\xEA\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// Words.txtの[HARD]に単語がありません
inline constexpr char textWordsEmptyHard[] =
    "Words.txt\x82\xCC[HARD]\x82\xC9\x92P\x8C\xEA\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// RankingDate.iniが使えないため、スコアは記録されません
inline constexpr char textRankingUnusable[] =
    "RankingDate.ini\x82\xAA\x8Eg\x82\xA6\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x81"
    "A\x83X\x83R\x83"
    "A\x82\xCD\x8BL\x98^\x82\xB3\x82\xEA\x82\xDC\x82\xB9\x82\xF1";
// フォルダのパスが長すぎるため、データファイルを使えません。\n
// パスはデータファイル名を含めて%dバイトまでです。短いパスのフォルダに移してください:\n%s
inline constexpr char textFolderTooLongFormat[] =
    "\x83t\x83H\x83\x8B\x83_"
    "\x82\xCC\x83p\x83X\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xE9\x82\xBD\x82\xDF\x81"
    "A\x83"
    "f\x81[\x83^\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8Eg\x82\xA6\x82\xDC\x82\xB9\x82\xF1\x81"
    "B\n\x83p\x83X\x82\xCD\x83"
    "f\x81[\x83^\x83t\x83@\x83"
    "C\x83\x8B\x96\xBC\x82\xF0\x8A\xDC\x82\xDF\x82\xC4%d\x83o\x83"
    "C\x83g\x82\xDC\x82\xC5\x82\xC5\x82\xB7\x81"
    "B\x92Z\x82\xA2\x83p\x83X\x82\xCC\x83t\x83H\x83\x8B\x83_"
    "\x82\xC9\x88\xDA\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2:\n%s";
// GetMEssageエラー
inline constexpr char textGetMessageError[] = "GetMEssage\x83G\x83\x89\x81[";
// スコア
inline constexpr char textScoreCaption[] =
    "\x83X\x83R\x83"
    "A";
// あなたのスコア:%d\n最大コンボ数:%d
inline constexpr char textResultFormat[] =
    "\x82\xA0\x82\xC8\x82\xBD\x82\xCC\x83X\x83R\x83"
    "A:%d\n\x8D\xC5\x91\xE5\x83R\x83\x93\x83{\x90\x94:%d";
// タイム回復まで%d
inline constexpr char textRefillFormat[] =
    "\x83^\x83"
    "C\x83\x80\x89\xF1\x95\x9C\x82\xDC\x82\xC5%d";
// Combo
inline constexpr char textCombo[] = "Combo";
// ＭＳ ゴシック
inline constexpr char textFontFace[] =
    "\x82l\x82r \x83S\x83V\x83"
    "b\x83N";
// ゲーム(&G)
inline constexpr char textMenuGame[] = "\x83Q\x81[\x83\x80(&G)";
// 難易度(&M)
inline constexpr char textMenuDifficulty[] = "\x93\xEF\x88\xD5\x93x(&M)";
// Easy(&E)
inline constexpr char textMenuEasy[] = "Easy(&E)";
// Normal(&N)
inline constexpr char textMenuNormal[] = "Normal(&N)";
// Hard(&H)
inline constexpr char textMenuHard[] = "Hard(&H)";
// スタート(&S)
inline constexpr char textMenuStart[] = "\x83X\x83^\x81[\x83g(&S)";
// 終了(E)
inline constexpr char textMenuExit[] = "\x8FI\x97\xB9(E)";
// 画面(&S)
inline constexpr char textMenuScreen[] = "\x89\xE6\x96\xCA(&S)";
// ランキング(&R)
inline constexpr char textMenuRanking[] = "\x83\x89\x83\x93\x83L\x83\x93\x83O(&R)";
// ゲーム画面(&G)
inline constexpr char textMenuGameScreen[] = "\x83Q\x81[\x83\x80\x89\xE6\x96\xCA(&G)";

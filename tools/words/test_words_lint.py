"""Checks that words-lint catches broken word lists and that the romaji follow the convention."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from kana_romaji import kana_to_romaji  # noqa: E402

LINT = os.path.join(HERE, '..', 'words-lint')


class KanaRomaji(unittest.TestCase):
    def test_input_method_convention(self):
        cases = [
            ('しんかんせん', 'shinnkannsenn'), ('こんにちは', 'konnnichiha'),
            ('しゃしん', 'shashinn'), ('ちゃわん', 'chawann'), ('じゃんけん', 'jannkenn'),
            ('ふじさん', 'fujisann'), ('つくえ', 'tsukue'), ('まっちゃ', 'maccha'),
            ('きって', 'kitte'), ('らーめん', 'ra-menn'), ('みかづき', 'mikaduki'),
            ('ほんをよむ', 'honnwoyomu'), ('うみへいく', 'umiheiku'), ('ジェット', 'jetto'),
            ('ファン', 'fann'), ('パーティー', 'pa-thi-'), ('きんぎょ', 'kinngyo'),
        ]
        for kana, romaji in cases:
            with self.subTest(kana=kana):
                self.assertEqual(kana_to_romaji(kana), romaji)

    def test_non_kana_has_no_romaji(self):
        self.assertIsNone(kana_to_romaji('犬'))


class Lint(unittest.TestCase):
    def run_lint(self, text, newline='\r\n'):
        with tempfile.NamedTemporaryFile('wb', suffix='.txt', delete=False) as f:
            f.write(text.replace('\n', newline).encode('cp932'))
            path = f.name
        try:
            result = subprocess.run([sys.executable, LINT, '--exceptions', os.devnull, path], capture_output=True,
                                    text=True)
        finally:
            os.unlink(path)
        return result.returncode, result.stdout

    def test_good_file_passes(self):
        code, out = self.run_lint('comment\n[EASY]\n犬,inu\n[NORMAL]\n自転車,jitennsha\n'
                                  '[HARD]\n猿も木から落ちる,sarumokikaraochiru\n')
        self.assertEqual(code, 0, out)
        self.assertIn('Easy: 1 words', out)

    def test_each_fault_is_reported_with_its_line(self):
        text = ('[EASY]\n犬,inu\n犬,inu\n猫,neco\nｲﾇ,inu\n[NORMAL]\n新幹線,sinkansen\n'
                '図書館,Toshokann\n空\n[HARD]\n猿も木から落ちる,sarumokikaraochiru\n')
        code, out = self.run_lint(text)
        self.assertEqual(code, 1)
        for expected in [':3: "犬" repeats line 2', ':4: 猫,neco', ':5: display "ｲﾇ"',
                         ':7: 新幹線,sinkansen', ':8: romaji "Toshokann"', ':9: no comma']:
            self.assertIn(expected, out)

    def test_sections_and_line_ends(self):
        code, out = self.run_lint('[NORMAL]\n自転車,jitennsha\n[EASY]\n犬,inu\n', '\n')
        self.assertEqual(code, 1)
        self.assertIn('[HARD] is missing', out)
        self.assertIn('line end is LF', out)
        self.assertIn('not in the order', out)

    def test_kana_count_suits_the_section(self):
        code, out = self.run_lint('[EASY]\n自転車,jitennsha\n[NORMAL]\n犬,inu\n'
                                  '[HARD]\n猿も木から落ちる,sarumokikaraochiru\n')
        self.assertEqual(code, 1)
        self.assertIn('自転車 has 5 kana', out)
        self.assertIn('犬 has 2 kana', out)


if __name__ == '__main__':
    unittest.main()

#!/usr/bin/python3
"""The OEM code page the platform pairs with each locale name of a table,
asked with the platform's own names; prints the table regenerated.

    code-pages.py TABLE COMMAND...

COMMAND reads platform locale names on its standard input and answers each
with a line: the name, its OEM code page and its scripts ("Latn;"), or "-"
twice for a name the platform does not know.

A glibc name becomes the first of language-Script-TERRITORY,
language-TERRITORY, language-Script and language that the platform knows
and whose scripts include that of the locale's own day and month names. A
locale it knows in no form takes the platform name of the known locale
whose names use the most of the same letters, and is marked "letters".
Names without a language (C, POSIX, a locale that is not installed) are
English (United States), marked "C". The answer 1 means no OEM code page:
UTF-8.
"""
import collections
import os
import re
import subprocess
import sys
import unicodedata

SOURCES = '/usr/share/i18n/locales'
# The first word of a letter's Unicode name, and the platform's script.
SCRIPTS = {
    'LATIN': 'Latn', 'CYRILLIC': 'Cyrl', 'GREEK': 'Grek', 'ARABIC': 'Arab', 'HEBREW': 'Hebr',
    'DEVANAGARI': 'Deva', 'BENGALI': 'Beng', 'GURMUKHI': 'Guru', 'GUJARATI': 'Gujr',
    'ORIYA': 'Orya', 'TAMIL': 'Taml', 'TELUGU': 'Telu', 'KANNADA': 'Knda', 'MALAYALAM': 'Mlym',
    'SINHALA': 'Sinh', 'THAI': 'Thai', 'LAO': 'Laoo', 'TIBETAN': 'Tibt', 'MYANMAR': 'Mymr',
    'GEORGIAN': 'Geor', 'ETHIOPIC': 'Ethi', 'KHMER': 'Khmr', 'CJK': 'Hani', 'HANGUL': 'Hang',
    'HIRAGANA': 'Hira', 'KATAKANA': 'Kana', 'ARMENIAN': 'Armn', 'THAANA': 'Thaa',
    'SYRIAC': 'Syrc', 'CHEROKEE': 'Cher', 'TIFINAGH': 'Tfng', 'MONGOLIAN': 'Mong',
    'OL': 'Olck', 'MEETEI': 'Mtei',
}


# The DOS code pages the platform pairs with languages.
OEM_CODE_PAGES = ['437', '720', '737', '775', '850', '852', '855', '857', '862', '866', '874',
                  '932', '936', '949', '950', '1258']


def letters(locale):
    """The letters of the locale's day and month names, or None."""
    path = os.path.join(SOURCES, locale)
    if not os.path.isfile(path):
        return None
    text = open(path, encoding='utf-8', errors='replace').read()
    comment = re.search(r'^comment_char\s+(\S)', text, re.M)
    escape = re.search(r'^escape_char\s+(\S)', text, re.M)
    comment = comment.group(1) if comment else '#'
    escape = escape.group(1) if escape else '\\'
    text = '\n'.join(l for l in text.split('\n') if not l.lstrip().startswith(comment))
    text = text.replace(escape + '\n', '')
    section = re.search(r'^LC_TIME\s*$(.*?)^END LC_TIME', text, re.M | re.S)
    if not section:
        return None
    copy = re.search(r'^\s*copy\s+"([^"]+)"', section.group(1), re.M)
    if copy:
        return letters(copy.group(1))
    found = ''
    for key in ('abday', 'day', 'abmon', 'mon', 'alt_mon', 'ab_alt_mon'):
        line = re.search(r'^\s*' + key + r'\s+(.*)$', section.group(1), re.M)
        for quoted in re.findall(r'"([^"]*)"', line.group(1) if line else ''):
            found += re.sub(r'<U([0-9A-Fa-f]+)>', lambda m: chr(int(m.group(1), 16)), quoted)
    return ''.join(c for c in found.casefold() if unicodedata.category(c).startswith('L'))


def script(text):
    counts = collections.Counter(SCRIPTS.get(unicodedata.name(c, '?').split()[0]) for c in text)
    return counts.most_common(1)[0][0] if counts else None


def by_letters(name, found, rows):
    """The code page that writes the most of the letters, UTF-8 writing
    them all; among those, the one the platform's locales of the same
    territory use most, then the lowest."""
    territory = name.split('@')[0].partition('_')[2]
    votes = collections.Counter(row[1] for n, row in rows.items()
                                if row[2] == '' and n.split('@')[0].partition('_')[2] == territory)

    def written(code_page):
        count = 0
        for letter in set(found):
            try:
                count += code_page == '65001' or len(letter.encode('cp' + code_page)) <= 2
            except UnicodeEncodeError:
                pass
        return count

    return max(OEM_CODE_PAGES + ['65001'], key=lambda cp: (written(cp), votes[cp], -int(cp)))


def main():
    table, command = sys.argv[1], sys.argv[2:]
    names = [line.split('\t')[0] for line in open(table, encoding='utf-8').read().splitlines()]
    locales = {}  # name: (letters, forms to ask, best first)
    for name in names:
        base = re.sub(r'\.[^@]*', '', name)
        found = None if base in ('C', 'POSIX') else letters(base)
        language, _, territory = base.split('@')[0].partition('_')
        kind = script(found or '')
        forms = [f'{language}-{kind}-{territory}', f'{language}-{territory}', f'{language}-{kind}',
                 language]
        forms = [f for f in forms if '--' not in f and not f.endswith('-') and 'None' not in f]
        locales[name] = (found, kind, forms)
    asked = sorted({f for _, _, forms in locales.values() for f in forms} | {'en-US'})
    answer = subprocess.run(command, input='\n'.join(asked) + '\n', capture_output=True,
                            text=True, check=True).stdout
    answers = dict(line.split('\t', 1) for line in answer.replace('\r', '').splitlines())
    if set(asked) - set(answers):
        sys.exit(f'no answer for {sorted(set(asked) - set(answers))[:5]}')
    known = {}
    for form, said in answers.items():
        code_page, scripts = said.split('\t')
        if code_page != '-':
            known[form] = ('65001' if code_page == '1' else code_page, scripts.split(';'))
    rows = {}
    for name, (found, kind, forms) in locales.items():
        if found is None:
            rows[name] = ('en-US', known['en-US'][0], 'C')
            continue
        for form in forms:
            if form in known and kind in known[form][1]:
                rows[name] = (form, known[form][0], '')
                break
    for name, (found, kind, forms) in locales.items():
        if name not in rows:
            rows[name] = ('-', by_letters(name, found, rows), 'letters')
    for name in names:
        print('\t'.join(part for part in (name,) + rows[name] if part))


main()

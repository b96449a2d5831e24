#!/usr/bin/python3
# The wizard as a screen reader meets it: the real program in a real X
# window on an X server of its own, walked through every page by keys, read
# through AT-SPI.
#
#   dbus-run-session -- tests/accessibility_test.py BIL DATA_DIR
#
# On every page: every object that is shown lies inside shown objects; no
# text carries invisible word joiners; every control that takes the focus has
# a name, and a field's name is its label's text (figures add the year),
# unless it has a name of its own. A figure marked from the error page says
# which rule it belongs to, and no longer once the marks are cleared.
# Started again as the file manager starts it, with the statement's name:
# the header page shows the statement's data. Figures from the books by
# keys; a figure typed is in the draft two seconds later and survives a kill.

import glob
import os
import struct
import subprocess
import sys
import tempfile
import time

import pyatspi

BIL, DATA = os.path.abspath(sys.argv[1]), sys.argv[2]
TITLE = 'Bil - Účetní závěrka pro KT - '
PAGES = ['Soubor', 'Hlavička', 'Rozvaha v tis. Kč (Aktiva)', 'Rozvaha v tis. Kč (Pasiva)',
         'Výkaz zisků a ztrát v tis. Kč (1)', 'Výkaz zisků a ztrát v tis. Kč (2)', 'Dokončení',
         'Kontrola a oprava chyb', 'Údaje o objednavateli', 'Text']
OWN_NAMES = {'Dopis redakce KT', 'Text účetní závěrky', 'Chyby běžného roku',
             'Chyby minulého roku'}
YEARS = (' – Běžný rok', ' – Minulý rok')
FIELDS = {'text', 'list', 'combo box'}
failures = []


def wait(what, probe, seconds=15):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = probe()
        except Exception:  # an object gone while it was read
            found = None
        if found:
            return found
        time.sleep(0.05)
    sys.exit(f'gave up waiting for {what}')


def state(obj, s):
    return obj.getState().contains(s)


def wizard(app):
    for w in app:
        if w is not None and w.getRoleName() == 'dialog' and w.name.startswith(TITLE):
            return w
    return None


def x_window(pattern):
    # The newest shown X window whose title matches; keys go to it once it
    # has the focus (there is no window manager to give it).
    return wait(f'a window {pattern}', lambda: subprocess.run(
        ['xdotool', 'search', '--onlyvisible', '--name', pattern], capture_output=True,
        text=True).stdout.split()[-1])


def keys(*names, window=None):
    if window:
        subprocess.run(['xdotool', 'windowfocus', '--sync', window], check=True)
    subprocess.run(['xdotool', 'key', '--delay', '60', *names], check=True)


def walk(obj, path, shown_parent, out):
    showing = state(obj, pyatspi.STATE_SHOWING)
    here = f'{path}/{obj.getRoleName()}[{obj.name}]'
    if showing and not shown_parent:
        failures.append(f'shown inside something hidden: {here}')
    for text in (obj.name, obj.description):
        if '\u2060' in text:
            failures.append(f'word joiners in {here}')
    out.append((obj, here, showing))
    for child in obj:
        if child is not None:
            walk(child, here, showing, out)


def check_page(app, index):
    """The page's title, what is shown and what the focusable controls are
    called; returns the page's shown fields by name."""
    w = wizard(app)
    objects = []
    walk(w, '', True, objects)
    shown = [(o, p) for o, p, s in objects if s]
    labels = {o.name.strip() for o, _ in shown if o.getRoleName() == 'label'}
    fields = {}
    for o, p in shown:
        role = o.getRoleName()
        if not state(o, pyatspi.STATE_FOCUSABLE) or not state(o, pyatspi.STATE_ENABLED):
            continue
        if not o.name:
            failures.append(f'page {index}: no name: {p}')
        if role not in FIELDS or role == 'list' and 'combo box' in p:
            continue
        if role == 'combo box':
            # Named by its value; its label is a relation.
            named = {t.name.strip() for r in o.getRelationSet()
                     if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                     for t in (r.getTarget(i) for i in range(r.getNTargets()))}
        else:
            fields[o.name] = o
            named = {o.name, *(o.name[:-len(y)] for y in YEARS if o.name.endswith(y))}
        if not named & (labels | OWN_NAMES):
            failures.append(f'page {index}: named after no label: {p}')
    return fields


def title_bar(window, expected):
    # What the window manager shows: the title exactly, nothing appended.
    shown = subprocess.run(['xdotool', 'getwindowname', window], capture_output=True,
                           text=True).stdout.rstrip('\n')
    if shown != expected:
        failures.append(f'title bar {shown!r}, not {expected!r}')


def go(app, index, *names):
    keys(*names, window=WID)
    wait(f'page {index}', lambda: wizard(app).name == TITLE + PAGES[index])
    title_bar(WID, TITLE + PAGES[index])


def statement(folder):
    # The journey's statement with total assets raised by one: two rules of
    # the current year fail, the total assets against the liabilities and
    # against its addends.
    out = b''
    with open(os.path.join(DATA, 'journey.records'), encoding='utf-8') as f:
        for line in f:
            if line.startswith('#') or not line.strip():
                continue
            tag, text, number = line.rstrip('\n').split('|')
            raw = text.replace('\\t', '\t').replace('\\r\\n', '\r\n').encode('cp1250')
            number = int(number) + (tag == '11')
            out += struct.pack('<ii', int(tag), len(raw)) + raw + struct.pack('<i', number)
    path = os.path.join(folder, 'ucet.bil')
    with open(path, 'wb') as f:
        f.write(out)
    return path


def drafted(folder):
    # The current year's total assets in the statement's draft, if any.
    for name in glob.glob(os.path.join(folder, 'bil', '*.draft')):
        with open(name, 'rb') as f:
            data = f.read()
        at = 8 + 4 + struct.unpack_from('<i', data, 8)[0] + 8 + 36  # magic, path, time, identity
        while at + 8 <= len(data):
            tag, size = struct.unpack_from('<ii', data, at)
            if tag == 11:
                return struct.unpack_from('<i', data, at + 8 + size)[0]
            at += 12 + size
    return None


def x_server():
    # The server picks a free display itself and names it once it accepts
    # connections: no race with other servers on the machine.
    read, write = os.pipe()
    server = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '1280x1024x24',
                               '-nolisten', 'tcp'], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        number = f.readline().strip()
    if not number:
        sys.exit('the X server did not start')
    os.environ['DISPLAY'] = ':' + number
    return server


with tempfile.TemporaryDirectory() as scratch:
    path = statement(scratch)
    xvfb = x_server()
    env = dict(os.environ, QT_QPA_PLATFORM='xcb', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1',
               XDG_RUNTIME_DIR=scratch, XDG_STATE_HOME=scratch, XDG_CONFIG_HOME=scratch,
               HOME=scratch)
    bil = subprocess.Popen([BIL], env=env, cwd=scratch)
    try:
        def registered():
            for a in pyatspi.Registry.getDesktop(0):
                if a is not None and a.name == 'bil' and wizard(a):
                    return a
        app = wait('the program on the accessibility bus', registered)
        WID = x_window('^' + TITLE)
        wait('the first page', lambda: wizard(app).name == TITLE + PAGES[0])
        title_bar(WID, TITLE + PAGES[0])
        # Fixed in size: nothing offers to maximise or resize it.
        hints = subprocess.run(['xprop', '-id', WID, '_MOTIF_WM_HINTS', 'WM_NORMAL_HINTS'],
                               capture_output=True, text=True).stdout
        motif = [int(v, 16) for v in hints.split('=')[1].split('\n')[0].split(',')]
        sizes = [line.split(':')[1].strip() for line in hints.splitlines()
                 if 'minimum size' in line or 'maximum size' in line]
        if motif[1] & 16 or motif[2] & 64 or len(sizes) != 2 or sizes[0] != sizes[1]:
            failures.append(f'the window may be maximised: {hints!r}')
        check_page(app, 0)

        # The browse button has the focus: its dialog takes the name.
        keys('Return', window=WID)
        dialog = x_window('^Jméno souboru')
        title_bar(dialog, 'Jméno souboru (Soubor nemusí existovat)')
        subprocess.run(['xdotool', 'windowfocus', '--sync', dialog], check=True)
        subprocess.run(['xdotool', 'type', '--delay', '10', path], check=True)
        keys('Return', window=dialog)
        wait('the chosen name', lambda: all(
            w is None or not w.name.startswith('Jméno souboru') for w in app))
        for index in range(1, 8):
            go(app, index, 'alt+d')
            check_page(app, index)

        # The second failed rule, opened from the keyboard: its sum, the total
        # assets, is red, its four addends on the same page blue.
        keys('Down', 'Down', 'Return', window=WID)
        wait('the marked sum', lambda: wizard(app).name == TITLE + PAGES[2])
        rule = 'Aktiva celkem'
        described = {n: f.description for n, f in check_page(app, 2).items() if f.description}
        sum_says = described.pop('Aktiva celkem – Běžný rok', None)
        if sum_says != 'Součet chybného pravidla: ' + rule:
            failures.append(f'the marked sum says {sum_says!r}')
        addends = [n for n, d in described.items()
                   if d == 'Sčítanec chybného pravidla: ' + rule and n.endswith(YEARS[0])]
        if len(addends) != 4 or len(described) != 4:
            failures.append(f'the marked addends say {described}')
        # Back on the error page the marks are cleared.
        go(app, 7, *['alt+d'] * 5)
        go(app, 2, *['alt+z'] * 5)
        if any(f.description for f in check_page(app, 2).values()):
            failures.append('a cleared mark is still described')

        go(app, 7, *['alt+d'] * 5)
        keys('alt+d', window=WID)  # failed rules: a warning to acknowledge
        keys('Return', window=x_window('^Bil$'))  # titled exactly so
        wait('the orderer page', lambda: wizard(app).name == TITLE + PAGES[8])
        check_page(app, 8)
        go(app, 9, 'alt+d')
        check_page(app, 9)

        keys('Escape', window=WID)  # Storno, and Yes to the question
        keys('alt+a', window=x_window('^Bil$'))
        status = bil.wait(timeout=15)
        if status != 0:
            failures.append(f'exit status {status} after Storno')

        bil = subprocess.Popen([BIL, os.path.basename(path)], env=env, cwd=scratch)
        app = wait('the program started with a file', registered)
        wait('the header page', lambda: wizard(app).name == TITLE + PAGES[1])
        WID = x_window('^' + TITLE)
        name = check_page(app, 1).get('Obchodní jméno:')
        shown = name.queryText().getText(0, -1) if name else None
        if shown != 'Sklárna Šťáhlavy, a.s.':
            failures.append(f'bil FILE shows the name {shown!r}')

        # Načíst… from the keyboard: the file dialog, the preview, Převzít,
        # and the page shows the figure taken.
        go(app, 2, 'alt+d')
        keys('alt+n', window=WID)
        dialog = x_window('^Načíst čísla ze souboru$')
        title_bar(dialog, 'Načíst čísla ze souboru')
        subprocess.run(['xdotool', 'windowfocus', '--sync', dialog], check=True)
        subprocess.run(['xdotool', 'type', '--delay', '10',
                        os.path.abspath(os.path.join(DATA, 'import', 'example-full.xml'))], check=True)
        keys('Return', window=dialog)
        preview = x_window('^Převzetí čísel$')
        title_bar(preview, 'Převzetí čísel')
        keys('alt+p', window=preview)
        total = lambda: check_page(app, 2).get('Aktiva celkem – Běžný rok')
        shown = lambda: total() and total().queryText().getText(0, -1)
        wait('the figure taken', lambda: shown() == '212259')

        # Typing, the page not left: two seconds after the last key the draft
        # holds the figure and the typing goes on where it was; a figure half
        # typed is left out without a word. Killed, the figure comes back.
        go(app, 1, 'alt+z')
        go(app, 2, 'alt+d')  # the first figure focused, its text selected
        typed = lambda text: subprocess.run(['xdotool', 'type', '--delay', '60', text], check=True)
        typed('4321')
        wait('the draft of 4321', lambda: drafted(scratch) == 4321, 10)
        typed('9x')
        time.sleep(3)
        said = subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^Bil$'],
                              capture_output=True, text=True).stdout
        if shown() != '43219x' or drafted(scratch) != 4321 or said:
            failures.append(f'half typed: {shown()!r}, drafted {drafted(scratch)}, a message: {bool(said)}')
        keys('BackSpace', window=WID)
        wait('the draft of 43219', lambda: drafted(scratch) == 43219, 10)
        bil.kill()
        bil.wait()
        bil = subprocess.Popen([BIL], env=env, cwd=scratch)
        keys('alt+a', window=x_window('^Bil$'))  # restore the draft, before the wizard shows
        app = wait('the program started again', registered)
        wait('the header page', lambda: wizard(app).name == TITLE + PAGES[1])
        WID = x_window('^' + TITLE)
        go(app, 2, 'alt+d')
        if shown() != '43219':
            failures.append(f'restored after a kill: {shown()!r}')
        keys('Escape', window=WID)
        keys('alt+a', window=x_window('^Bil$'))
        bil.wait(timeout=15)
    finally:
        for process in (bil, xvfb):
            if process.poll() is None:
                process.kill()
                process.wait()

for f in failures:
    print('FAILED:', f)
print(f'{0 if failures else 1} passed, {1 if failures else 0} failed')
sys.exit(1 if failures else 0)

"""Reads the running program's accessible tree through AT-SPI and checks what
a screen reader needs: the calendar as a table of the shown days, today's cell
named by its date, and a name on every control of the main window."""
import datetime
import sys
import time

import pyatspi

CONTROLS = {'push button', 'check box', 'radio button', 'combo box', 'text', 'spin button',
            'tree', 'table', 'page tab', 'menu item', 'toggle button', 'slider'}


def find_app(name, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name and name in app.name.lower():
                frames = [f for f in app if f is not None and f.getRoleName() == 'frame']
                if frames and find_calendar(frames[0]):
                    return app
        time.sleep(0.5)
    return None


def nodes(node):
    yield node
    if node.getRoleName() == 'table' and node.name == 'Calendar':
        return  # its cells are read on their own
    for child in node:
        if child is not None:
            yield from nodes(child)


def find_calendar(root):
    return next((n for n in nodes(root)
                 if n.getRoleName() == 'table' and n.name == 'Calendar'), None)


def main():
    failures = []
    app = find_app(sys.argv[1])
    if app is None:
        print('the program did not show its calendar to the registry')
        return 1
    calendar = find_calendar(app)
    cells = [calendar.getChildAtIndex(i) for i in range(calendar.childCount)]
    if len(cells) != 42:
        failures.append(f'month view has {len(cells)} cells, not 42')
    today = datetime.date.today()
    name = f'{today:%A} {today.day} {today:%B} {today.year}, today'
    if not any(c.name == name or c.name.startswith(name + ',') for c in cells):
        failures.append(f'no cell named "{name}"')
    if any(c.getRoleName() != 'table cell' for c in cells):
        failures.append('a cell is not a table cell')
    # Given the keyboard focus, the calendar names its focused day: today.
    calendar.queryComponent().grabFocus()
    focused = []
    for _ in range(20):
        focused = [c.name for c in cells if c.getState().contains(pyatspi.STATE_FOCUSED)]
        if focused:
            break
        time.sleep(0.25)
    if len(focused) != 1 or not focused[0].startswith(name):
        failures.append(f'focused cells {focused}, not today')
    for node in nodes(app):
        # The tool bar's own overflow button is Qt's, not one of the program's.
        parent = node.parent
        if parent is not None and parent.getRoleName() == 'tool bar' and not node.name \
                and node.getRoleName() == 'check box':
            continue
        if node.getRoleName() in CONTROLS and not node.name.strip():
            failures.append(f'unnamed {node.getRoleName()} in {parent.name if parent else "?"}')
    for f in failures:
        print('FAIL', f)
    print(f'{len(cells)} cells; checked {sum(1 for _ in nodes(app))} accessible objects')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())

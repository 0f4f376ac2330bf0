#!/usr/bin/env python3
"""Checks that every library reaches only the Qt modules its row allows.

A library reaches a module by an include, direct or through the project's own
headers, and by what it links, directly or through the libraries it links. A
library also includes only its own headers and those of libraries it links, so
that the layers point downward. The manifest is written by the build
(tests/layering/CMakeLists.txt), one tab-separated line each:

    root    <source folder, the one include root>
    build   <build folder, whose generated files are not checked>
    qt      <Qt's header folder, with a QtCore/, QtGui/... folder per module>
    rule    <library>  <the Qt modules it may use, space-separated>
    target  <name>  <its source folder>  <sources, |-separated>  <what it links, |-separated>

A target named *_core without a row may use Qt Core alone.
"""
import os
import re
import sys
from collections import deque

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"]+)[>"]', re.M)
CPP = ('.h', '.hpp', '.cpp', '.cc', '.cxx')
QT_TARGET = re.compile(r'^Qt6::(\w+)$')


def items(joined):
    return [x for x in joined.split('|') if x]


def read_manifest(path):
    m = {'root': '', 'build': '', 'qt': '', 'rules': {}, 'targets': {}}
    with open(path, encoding='utf-8') as f:
        for line in f:
            field = line.rstrip('\n').split('\t')
            if field[0] in ('root', 'build', 'qt'):
                m[field[0]] = field[1]
            elif field[0] == 'rule':
                m['rules'][field[1]] = set(field[2].split())
            elif field[0] == 'target':
                m['targets'][field[1]] = {'dir': field[2], 'sources': items(field[3]),
                                          'links': items(field[4])}
    return m


def qt_header_index(qt_dir):
    """Maps a header name (QWidget, qwidget.h, QtWidgets) to its modules."""
    index = {}
    for folder in sorted(os.listdir(qt_dir)):
        path = os.path.join(qt_dir, folder)
        if not folder.startswith('Qt') or not os.path.isdir(path):
            continue
        index.setdefault(folder, set()).add(folder[2:])
        for name in os.listdir(path):
            if os.path.isfile(os.path.join(path, name)):
                index.setdefault(name, set()).add(folder[2:])
    return index


class Includes:
    """The includes of the project's files: project files, and Qt modules."""

    def __init__(self, root, build, qt_dir):
        self.root = os.path.realpath(root)
        self.build = os.path.realpath(build) if build else None
        self.qt = qt_header_index(qt_dir)
        self.cache = {}

    def project_file(self, path):
        path = os.path.realpath(path)
        inside = path.startswith(self.root + os.sep) and os.path.isfile(path)
        if self.build and path.startswith(self.build + os.sep):
            inside = False
        return os.path.relpath(path, self.root) if inside else None

    def of(self, rel):
        """[(project file or None, Qt modules or None, include as written)]"""
        if rel not in self.cache:
            with open(os.path.join(self.root, rel), encoding='utf-8', errors='replace') as f:
                text = f.read()
            self.cache[rel] = [self.resolve(rel, q, name) for q, name in INCLUDE.findall(text)]
        return self.cache[rel]

    def resolve(self, rel, quote, name):
        shown = f'"{name}"' if quote == '"' else f'<{name}>'
        here = os.path.dirname(os.path.join(self.root, rel))
        for base in ([here] if quote == '"' else []) + [self.root]:
            found = self.project_file(os.path.join(base, name))
            if found:
                return found, None, shown
        # <QtGui/QColor> by its folder, <QColor> or <qcolor.h> by its name.
        first, _, rest = name.partition('/')
        return None, self.qt.get(first if rest else name), shown


def walk(includes, start):
    """Every project file reached from start, with the chain that reaches it."""
    chain = {start: [start]}
    queue = deque([start])
    while queue:
        rel = queue.popleft()
        for project, _, _ in includes.of(rel):
            if project and project not in chain:
                chain[project] = chain[rel] + [project]
                queue.append(project)
    return chain


def link_closure(targets, name):
    """Every item the target links, directly or not, with its chain."""
    chain = {name: [name]}
    queue = deque([name])
    while queue:
        current = queue.popleft()
        for item in targets.get(current, {}).get('links', []):
            if item not in chain:
                chain[item] = chain[current] + [item]
                if not QT_TARGET.match(item):
                    queue.append(item)
    return chain


def allowed_modules(manifest, name):
    if name in manifest['rules']:
        return manifest['rules'][name]
    return {'Core'} if name.endswith('_core') else None


def sources_of(includes, target):
    for source in target['sources']:
        rel = includes.project_file(os.path.join(target['dir'], source))
        if rel and rel.endswith(CPP):
            yield rel


def owners_of(manifest, includes):
    owners = {}
    for name, target in manifest['targets'].items():
        for rel in sources_of(includes, target):
            owners.setdefault(rel, set()).add(name)
    return owners


def link_problems(includes, name, allowed, linked):
    may = ', '.join(sorted(allowed))
    for item, chain in linked.items():
        module = QT_TARGET.match(item)
        # Qt6::Platform and the like carry build flags, not a module.
        if module and 'Qt' + module.group(1) in includes.qt and module.group(1) not in allowed:
            yield (f'{name} may use Qt {may} only, but links Qt {module.group(1)}: '
                   + ' -> '.join(chain))


def form_problems(includes, name, allowed, target):
    """A form's generated header includes Qt Widgets, out of the walk's sight."""
    for source in target['sources']:
        rel = includes.project_file(os.path.join(target['dir'], source))
        if rel and rel.endswith('.ui') and 'Widgets' not in allowed:
            yield f'{name} may use Qt {", ".join(sorted(allowed))} only, but lists the form {rel}'


def include_problems(includes, owners, name, allowed, linked, sources):
    """One report per offending include, with the first chain that reaches it."""
    seen = set()
    for source in sources:
        for rel, chain in walk(includes, source).items():
            for project, modules, shown in includes.of(rel):
                if allowed is not None and modules and not modules <= allowed and \
                        (rel, shown) not in seen:
                    seen.add((rel, shown))
                    bad = ', '.join('Qt ' + m for m in sorted(modules - allowed))
                    yield (f'{name} may use Qt {", ".join(sorted(allowed))} only, but '
                           f'{" -> ".join(chain)} includes {shown} ({bad})')
                foreign = owners.get(project, set()) if project else set()
                if foreign and not foreign & linked.keys() and (rel, project) not in seen:
                    seen.add((rel, project))
                    yield (f'{name} does not link {", ".join(sorted(foreign))}, but '
                           f'{" -> ".join(chain + [project])} includes its header')


def check_target(manifest, includes, owners, name):
    allowed = allowed_modules(manifest, name)
    linked = link_closure(manifest['targets'], name)
    sources = sources_of(includes, manifest['targets'][name])
    problems = []
    if allowed:
        problems += link_problems(includes, name, allowed, linked)
        problems += form_problems(includes, name, allowed, manifest['targets'][name])
    return problems + list(include_problems(includes, owners, name, allowed, linked, sources))


def check(manifest):
    includes = Includes(manifest['root'], manifest['build'], manifest['qt'])
    owners = owners_of(manifest, includes)
    problems = []
    for name in sorted(manifest['targets']):
        problems += check_target(manifest, includes, owners, name)
    for name in sorted(set(manifest['rules']) - set(manifest['targets'])):
        problems.append(f'the layering table names {name}, which the build does not have')
    return problems


def main(argv):
    if len(argv) != 2:
        print('usage: check_layering.py <manifest written by the build>', file=sys.stderr)
        return 2
    manifest = read_manifest(argv[1])
    problems = check(manifest)
    for problem in problems:
        print('LAYERING: ' + problem)
    guarded = [n for n in sorted(manifest['targets']) if allowed_modules(manifest, n)]
    if not problems:
        print(f'{len(manifest["targets"])} targets checked; Qt modules kept within their rows '
              f'for {", ".join(guarded)}')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))

"""The layering check on a small tree of its own: every road to a forbidden Qt
module or to a library not linked is found and named, a clean tree passes."""
import os
import tempfile
import unittest

import check_layering

# A Qt header folder in miniature, and a project: "core" is Qt Core only.
QT = {'QtCore/QString': '', 'QtGui/QColor': '', 'QtWidgets/QWidget': '',
      'QtWidgets/qwidget.h': '', 'QtNetwork/QNetworkReply': ''}
BASE = {'core/a.cpp': '#include "core/a.h"\n', 'core/a.h': '#include <QString>\n',
        'ui/w.h': '#include <QWidget>\n', 'ui/plain.h': 'class W;\n',
        'ui/w.cpp': '#include "w.h"\n'}


def lines(rules, targets):
    out = ['root\t{root}', 'qt\t{qt}']
    out += [f'rule\t{name}\t{modules}' for name, modules in rules.items()]
    out += [f'target\t{name}\t{{root}}\t{sources}\t{links}'
            for name, (sources, links) in targets.items()]
    return out


DEFAULT_TARGETS = {'vornel_core': ('core/a.cpp|core/a.h', 'Qt6::Core'),
                   'vornel_ui': ('ui/w.cpp|ui/w.h|ui/plain.h', 'vornel_core|Qt6::Widgets')}

# name, files changed from BASE, rules, targets, the problems' texts
ROWS = [
    ('clean tree passes', {}, {}, DEFAULT_TARGETS, []),
    ('a direct Widgets include', {'core/a.cpp': '#include <QWidget>\n'}, {}, DEFAULT_TARGETS,
     ['vornel_core may use Qt Core only, but core/a.cpp includes <QWidget> (Qt Widgets)']),
    ('a Gui include through two project headers',
     {'core/a.h': '#include "core/b.h"\n', 'core/b.h': '#  include <QtGui/QColor>\n'}, {},
     DEFAULT_TARGETS,
     ['vornel_core may use Qt Core only, but core/a.cpp -> core/a.h -> core/b.h '
      'includes <QtGui/QColor> (Qt Gui)']),
    ('a widget header of the project', {'core/a.h': '#include "ui/w.h"\n'}, {}, DEFAULT_TARGETS,
     ['vornel_core may use Qt Core only, but core/a.cpp -> core/a.h -> ui/w.h '
      'includes <QWidget> (Qt Widgets)',
      'vornel_core does not link vornel_ui, but core/a.cpp -> core/a.h -> ui/w.h '
      'includes its header']),
    ('a header of a library not linked, though free of Qt',
     {'core/a.h': '#include "ui/plain.h"\n'}, {}, DEFAULT_TARGETS,
     ['vornel_core does not link vornel_ui, but core/a.cpp -> core/a.h -> ui/plain.h '
      'includes its header']),
    ('Widgets linked through another library',
     {}, {}, {**DEFAULT_TARGETS, 'vornel_core': ('core/a.cpp', 'vornel_mid'),
              'vornel_mid': ('', 'Qt6::Core|Qt6::Platform|vornel_ui')},
     ['vornel_core may use Qt Core only, but links Qt Widgets: '
      'vornel_core -> vornel_mid -> vornel_ui -> Qt6::Widgets']),
    ('a row allows Network but not Gui',
     {'core/a.h': '#include <QNetworkReply>\n#include <QColor>\n'},
     {'vornel_client': 'Core Network'},
     {'vornel_client': ('core/a.cpp', 'Qt6::Core|Qt6::Network')},
     ['vornel_client may use Qt Core, Network only, but core/a.cpp -> core/a.h '
      'includes <QColor> (Qt Gui)']),
    ('a library without a row and not *_core is free to use widgets',
     {'core/a.h': '#include <qwidget.h>\n'}, {}, {'vornel_engine': ('core/a.cpp', 'Qt6::Widgets')},
     []),
    ('a form in a core library', {'core/f.ui': '<ui/>\n'}, {},
     {**DEFAULT_TARGETS, 'vornel_core': ('core/a.cpp|core/f.ui', 'Qt6::Core')},
     ['vornel_core may use Qt Core only, but lists the form core/f.ui']),
    ('a row for a library the build lacks', {}, {'vornel_gone': 'Core'}, DEFAULT_TARGETS,
     ['the layering table names vornel_gone, which the build does not have']),
]


def run_row(files, rules, targets):
    with tempfile.TemporaryDirectory() as tmp:
        root, qt = os.path.join(tmp, 'src'), os.path.join(tmp, 'qt')
        for base, tree in ((qt, QT), (root, {**BASE, **files})):
            for rel, text in tree.items():
                os.makedirs(os.path.dirname(os.path.join(base, rel)), exist_ok=True)
                with open(os.path.join(base, rel), 'w') as f:
                    f.write(text)
        manifest = os.path.join(tmp, 'layering.txt')
        with open(manifest, 'w') as f:
            f.write('\n'.join(lines(rules, targets)).format(root=root, qt=qt) + '\n')
        return check_layering.check(check_layering.read_manifest(manifest))


class CheckLayeringTest(unittest.TestCase):
    def test_rows(self):
        for name, files, rules, targets, expected in ROWS:
            with self.subTest(name):
                self.assertEqual(sorted(run_row(files, rules, targets)), sorted(expected))


if __name__ == '__main__':
    unittest.main()

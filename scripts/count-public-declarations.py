#!/usr/bin/env python3
# Counts the public declarations of a class from clang's AST: every data
# member, method, constructor, destructor and nested type declared under
# "public:", each declarator once ("QAction *A, *B;" is two). What a macro
# expands to (Q_OBJECT's metaObject, tr, ...) is not counted. From the top
# of the source tree, for the main window:
#   scripts/count-public-declarations.py TFCW app/UCW.h
# (--names lists them.)
import glob, json, subprocess, sys

args = [a for a in sys.argv[1:] if a != '--names']
cls, header = args[0], args[1]
qt = '/usr/include/x86_64-linux-gnu/qt6'
flags = ['-I' + d for d in sorted(glob.glob('*/')) if glob.glob(d + '*.h')]
flags += ['-I' + qt] + ['-I%s/%s' % (qt, m) for m in ('QtCore', 'QtGui', 'QtWidgets')] + ['-fPIC']
out = subprocess.run(['clang++', '-std=c++20', '-fsyntax-only', '-Xclang', '-ast-dump=json',
                      '-Xclang', '-ast-dump-filter=' + cls, '-x', 'c++', '-'] + flags + args[2:],
                     input=('#include "%s"\n' % header).encode(), capture_output=True)
text, decoder, at, found = out.stdout.decode(), json.JSONDecoder(), 0, None
while at < len(text):
    while at < len(text) and text[at].isspace():
        at += 1
    if at >= len(text):
        break
    node, at = decoder.raw_decode(text, at)
    if node.get('kind') == 'CXXRecordDecl' and node.get('name') == cls and node.get('completeDefinition'):
        found = node
if not found:
    sys.exit('%s: no definition of %s\n%s' % (header, cls, out.stderr.decode()[:2000]))
access = 'private' if found.get('tagUsed') == 'class' else 'public'
names = []
for d in found.get('inner', []):
    if d['kind'] == 'AccessSpecDecl':
        access = d['access']
    elif access == 'public' and not d.get('isImplicit') and 'expansionLoc' not in d.get('loc', {}):
        names.append(d.get('name', d['kind']))
print('%s: %d public declarations' % (cls, len(names)))
if '--names' in sys.argv:
    print(' '.join(names))

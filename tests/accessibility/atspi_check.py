"""The program as a screen reader drives it, over the desktop's AT-SPI bus.

Started by run_atspi.sh inside a display and a D-Bus session, with the
program, its MERIL.INI (port: the simulator) and two spectra in FOLDER.
Checks that each measured value is read by a name of its own (G, M2, M4 with
its uncertainty, SDB, HDB, the fit's results), that a change of M2 is told
as a value-changed event, that the main window's pass counter and run
progress are told as they change, and that "Hold" reads "Continue" once the
instrument holds. Usage: atspi_check.py FOLDER
"""

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

FOLDER = sys.argv[1]
TIMEOUT = 60  # seconds for anything the program does; the machine may be busy
failures = []


def pump(seconds):
    """Lets AT-SPI's events in for a while."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def wait_for(what, find):
    """find() until it gives something, or fail with `what`."""
    end = time.monotonic() + TIMEOUT
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # a node may go away while it is read
            found = None
        if found:
            return found
        pump(0.2)
    raise RuntimeError("no " + what)


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name.lower() == "meril":
            return app
    return None


def node(root, role, name):
    """The first node under root with that role and name; showing, except
    the items of a menu that is closed."""
    def matches(n):
        return (n is not None and n.getRole() == role and n.name == name
                and (role == pyatspi.ROLE_MENU_ITEM or n.getState().contains(pyatspi.STATE_SHOWING)))
    return pyatspi.findDescendant(root, matches, breadth_first=True)


def press(n):
    actions = n.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i).lower() in ("press", "toggle", "click"):
            actions.doAction(i)
            pump(0.3)
            return
    raise RuntimeError("no press action on " + n.name)


def frame(app, caption):
    """The window whose caption holds `caption`."""
    return wait_for("window " + caption,
                    lambda: next((w for w in app if w is not None and caption in w.name), None))


def widget(window, role, name):
    return wait_for(name, lambda: node(window, role, name))


def reading(window, name):
    """What a screen reader reads of a value: its description."""
    return wait_for("value " + name,
                    lambda: node(window, pyatspi.ROLE_LABEL, name).description.strip() or None)


LOG = os.path.join(FOLDER, "meril.log")


def start(spectrum):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    with open(LOG, "a") as log:
        program = subprocess.Popen([os.path.join(FOLDER, "meril"), os.path.join(FOLDER, spectrum)], env=env,
                                   stdout=log, stderr=subprocess.STDOUT)
    try:
        app = wait_for("application meril on the bus", application)
    except RuntimeError:
        stop(program)
        with open(LOG) as log:
            print(log.read(), file=sys.stderr)
        raise
    return program, app


def stop(program):
    program.kill()
    program.wait()


# The registry up before the program starts, so that the program finds it.
wait_for("AT-SPI registry", lambda: pyatspi.Registry.getDesktop(0) is not None)

# ---- ESR: the g-factor, the widths
program, app = start("dpph.dcw")
try:
    proc = frame(app, "CW NMR/ESR Spectrometer - PROCESSING")
    press(widget(proc, pyatspi.ROLE_CHECK_BOX, "1st Derivative"))
    g_button = widget(proc, pyatspi.ROLE_CHECK_BOX, "G")
    check("M2" not in g_button.description, "G button described as " + repr(g_button.description))
    press(g_button)
    g = reading(proc, "G")
    check(g.startswith("2.00"), "G reads " + repr(g))
    press(widget(proc, pyatspi.ROLE_CHECK_BOX, "SDB"))
    sdb = reading(proc, "SDB")
    check(sdb.endswith(" Gs") and float(sdb.split()[0]) > 0, "SDB reads " + repr(sdb))
    press(widget(proc, pyatspi.ROLE_CHECK_BOX, "Absorption"))
    press(widget(proc, pyatspi.ROLE_CHECK_BOX, "HDB"))
    hdb = reading(proc, "HDB")
    check(hdb.endswith(" Gs") and float(hdb.split()[0]) > 0, "HDB reads " + repr(hdb))
finally:
    stop(program)

# ---- NMR: M2 and M4 with their uncertainties, a change told, the fit; Hold
program, app = start("water.dcw")
try:
    proc = frame(app, "CW NMR/ESR Spectrometer - PROCESSING")
    press(widget(proc, pyatspi.ROLE_CHECK_BOX, "1st Derivative"))
    press(widget(proc, pyatspi.ROLE_CHECK_BOX, "M2"))
    m2 = reading(proc, "M2")
    m4 = reading(proc, "M4")
    check(" Gs \u00b2 \u00b1 " in m2, "M2 reads " + repr(m2))
    check(" Gs\u2074 \u00b1 " in m4, "M4 reads " + repr(m4))

    changes = []
    def told(event):
        if event.source is not None and event.source.name == "M2":
            changes.append(event.source.queryValue().currentValue)
    pyatspi.Registry.registerEventListener(told, "object:property-change:accessible-value")
    pump(0.5)
    for _ in range(3):
        press(widget(proc, pyatspi.ROLE_PUSH_BUTTON, "Baseline up"))
    pump(1)
    pyatspi.Registry.deregisterEventListener(told, "object:property-change:accessible-value")
    now = reading(proc, "M2")
    check(now != m2, "M2 changed with the baseline: " + repr(now))
    check(len(changes) > 0 and abs(changes[-1] - float(now.split()[0])) < 1e-9,
          "value-changed events of M2: " + repr(changes))

    press(widget(proc, pyatspi.ROLE_PUSH_BUTTON, "Fit"))
    fit = wait_for("fit results", lambda: "\u0394Bpp" in reading(proc, "Fit results") and reading(proc, "Fit results"))
    check("\u00b1" in fit, "Fit results read " + repr(fit[:80]))

    main = frame(app, "SETUP and ACQUISITION")
    press(widget(main, pyatspi.ROLE_MENU_ITEM, "Connect"))
    start_button = widget(main, pyatspi.ROLE_PUSH_BUTTON, "Start")
    wait_for("Start enabled", lambda: start_button.getState().contains(pyatspi.STATE_ENABLED))
    # The pass counter and the run's progress are told as they change.
    heard = []
    def told_run(event):
        if event.source is not None:
            heard.append((event.source.getRole(), event.source.name))
    run_events = ("object:property-change:accessible-name", "object:property-change:accessible-value")
    for kind in run_events:
        pyatspi.Registry.registerEventListener(told_run, kind)
    press(start_button)
    hold = widget(main, pyatspi.ROLE_CHECK_BOX, "Hold")
    wait_for("Hold enabled", lambda: hold.getState().contains(pyatspi.STATE_ENABLED))
    pump(1)
    for kind in run_events:
        pyatspi.Registry.deregisterEventListener(told_run, kind)
    counts = sorted({name for role, name in heard if name.startswith("Acc: ")})
    check("Acc: 1 of 1" in counts, "pass counter told: " + repr(counts))
    progress = [name for role, name in heard if role == pyatspi.ROLE_PROGRESS_BAR]
    check(any(name.startswith("pass 1 of 1") for name in progress), "progress told: " + repr(progress[-3:]))
    check(hold.description == "Hold", "Hold described as " + repr(hold.description))
    press(hold)
    held = widget(main, pyatspi.ROLE_CHECK_BOX, "Continue")
    check(held.description == "Continue", "on hold, described as " + repr(held.description))
finally:
    stop(program)

print("%d failed" % len(failures) if failures else "all read as a screen reader reads them")
sys.exit(1 if failures else 0)

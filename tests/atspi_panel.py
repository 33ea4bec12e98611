#!/usr/bin/python3
"""What a screen reader finds on the real tool's panel, over the accessibility bus (AT-SPI).

CTest runs it under its own X server and D-Bus session. It starts the simulated sensor and
the tool, reads the status line, the target buttons, the displays, the lamps and the chart,
and drives the live view with the screen reader's "press": Run starts it, Stop ends it.
Arguments: the tool's executable, the simulated sensor's executable.
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

BOUND = 20.0  # seconds any awaited condition may take


def wait_for(condition, what):
    """Runs the AT-SPI event loop until condition() holds; fails after BOUND seconds."""
    deadline = time.monotonic() + BOUND
    while not condition():
        if time.monotonic() > deadline:
            sys.exit("not within %.0f s: %s" % (BOUND, what))
        GLib.MainContext.default().iteration(False)
        time.sleep(0.02)


def find_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Nalvo-ZUridozU10":
            return app
    return None


def control(app, name, role=None):
    """The control by name, once the panel shows it."""
    found = []
    wait_for(lambda: found.append(pyatspi.findDescendant(
        app, lambda o: o.name == name and (role is None or o.getRole() == role)))
        or found[-1] is not None, "a control named %r" % name)
    return found[-1]


def press(button):
    actions = button.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    actions.doAction(names.index("Press"))


def enabled(o):
    return o.getState().contains(pyatspi.STATE_ENABLED)


def main(tool_path, sensor_path):
    # The accessibility bus and its registry up first, so that the tool finds them.
    pyatspi.Registry.getDesktop(0).childCount
    sensor = subprocess.Popen([sensor_path], stdout=subprocess.PIPE, text=True)
    device = sensor.stdout.readline().strip()
    env = dict(os.environ, NALVO_COM1=device, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    tool = subprocess.Popen([tool_path], env=env)
    try:
        check(tool)
    finally:
        tool.terminate()
        sensor.terminate()
        tool.wait()
        sensor.wait()


def check(tool):
    apps = []
    wait_for(lambda: apps.append(find_app()) or apps[-1] is not None, "the tool on the bus")
    app = apps[-1]
    status = control(app, "Status line")
    wait_for(lambda: status.description == "T-KOR-ZUL simulated sensor 1.0", "the firmware text")
    for name in ("RAM", "EEPROM", "File"):
        if control(app, name).getRole() != pyatspi.ROLE_RADIO_BUTTON:
            sys.exit("%s is no radio button" % name)

    announced = []
    pyatspi.Registry.registerEventListener(
        lambda e: announced.append(e.source.description),
        "object:property-change:accessible-description")
    run = control(app, "Run", pyatspi.ROLE_PUSH_BUTTON)
    press(run)
    wait_for(lambda: not enabled(run), "Run dimmed by the live view")
    display = control(app, "Raw 1 display")
    wait_for(lambda: display.queryValue().currentValue > 0, "a measurement on the display")
    # The values move while they are read: the two reads agree between two measurements.
    wait_for(lambda: display.description == "%d" % display.queryValue().currentValue,
             "the display's value read out")
    lamp = control(app, "Input 1", pyatspi.ROLE_LABEL)
    wait_for(lambda: lamp.description == ("on" if lamp.getState().contains(pyatspi.STATE_CHECKED)
                                          else "off"), "the lamp's state read out")
    chart = control(app, "Raw signals chart")
    wait_for(lambda: chart.description.startswith("Last values: Raw 1 "), "the chart's summary")
    wait_for(lambda: "Line Ok!" in announced, "the status line's change announced")

    press(control(app, "Stop", pyatspi.ROLE_PUSH_BUTTON))
    wait_for(lambda: enabled(run), "Run back once Stop has ended the live view")
    if tool.poll() is not None:
        sys.exit("the tool ended")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])

#!/usr/bin/python3
"""What a screen reader finds on the real tool's panel, over the accessibility bus (AT-SPI).

CTest runs it under its own X server and D-Bus session. It starts the simulated sensor and
the tool, reads the status line, the target buttons, the displays, the lamps and the chart,
and drives the live view with the screen reader's "press": Run starts it, Stop ends it. Then
every kind of control by its accessible action alone, as the operator's click would: a target
radio button's Toggle chooses the target that Send writes (the sensor's requests are read from
it), a drop-down's item selected is picked, a value field takes its value, Record...'s Toggle
opens its dialog, and the file and question dialogs are answered by their buttons' Press.
Arguments: the tool's executable, the simulated sensor's executable.
"""
import os
import signal
import subprocess
import sys
import tempfile
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


def act(o, action="Press"):
    actions = o.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action not in names:
        sys.exit("%r offers no %s, only %s" % (o.name, action, names))
    actions.doAction(names.index(action))


def press(button):
    act(button, "Press")


def enabled(o):
    return o.getState().contains(pyatspi.STATE_ENABLED)


def checked(o):
    return o.getState().contains(pyatspi.STATE_CHECKED)


def labels(o):
    """The texts beside the control that label it (its group box's title left out)."""
    return [relation.getTarget(i).name for relation in o.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(relation.getNTargets())
            if relation.getTarget(i).getRole() == pyatspi.ROLE_LABEL]


def window(app, title):
    """The tool's window or dialog with this title, once it is up."""
    found = []
    wait_for(lambda: found.append(next((w for w in app if w is not None and w.name == title),
                                       None)) or found[-1] is not None,
             "the window %r" % title)
    return found[-1]


def requests(sensor):
    """The requests the simulated sensor has received: (order, words) each."""
    sensor.send_signal(signal.SIGUSR2)
    received = []
    for line in iter(sensor.stdout.readline, "\n"):
        numbers = [int(n) for n in line.split()]
        received.append((numbers[0], numbers[1:]))
    return received


def sent_after(sensor, before, what):
    """The first request the sensor receives after the `before` ones."""
    found = []
    wait_for(lambda: found.append(requests(sensor)) or len(found[-1]) > before, what)
    return found[-1][before]


def main(tool_path, sensor_path):
    # The accessibility bus and its registry up first, so that the tool finds them.
    pyatspi.Registry.getDesktop(0).childCount
    sensor = subprocess.Popen([sensor_path], stdout=subprocess.PIPE, text=True)
    device = sensor.stdout.readline().strip()
    # The EEPROM write's backup goes to a directory of the test's own.
    data_home = tempfile.TemporaryDirectory()
    env = dict(os.environ, NALVO_COM1=device, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_DATA_HOME=data_home.name)
    tool = subprocess.Popen([tool_path], env=env)
    try:
        check(tool)
        check_every_kind(sensor)
    finally:
        tool.terminate()
        sensor.terminate()
        tool.wait()
        sensor.wait()


def check(tool):
    apps = []
    wait_for(lambda: apps.append(find_app()) or apps[-1] is not None, "the tool on the bus")
    app = apps[-1]
    # Found by what it is; its name is what it says now.
    found = []
    wait_for(lambda: found.append(pyatspi.findDescendant(
        app, lambda o: o.description == "Status line")) or found[-1] is not None, "the status line")
    status = found[-1]
    wait_for(lambda: status.name == "T-KOR-ZUL simulated sensor 1.0", "the firmware text")
    for name in ("RAM", "EEPROM", "File"):
        if control(app, name).getRole() != pyatspi.ROLE_RADIO_BUTTON:
            sys.exit("%s is no radio button" % name)

    # What a screen reader reads out unasked: a notification as it shows.
    announced = []

    def note_shown(event):
        if event.detail1 == 1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
            announced.append(event.source.name)
    pyatspi.Registry.registerEventListener(note_shown, "object:state-changed:showing")
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
    wait_for(lambda: "Line Ok!" in announced and status.name == "Line Ok!",
             "the status line's new text, and its announcement")

    press(control(app, "Stop", pyatspi.ROLE_PUSH_BUTTON))
    wait_for(lambda: enabled(run), "Run back once Stop has ended the live view")
    if tool.poll() is not None:
        sys.exit("the tool ended")


def check_every_kind(sensor):
    app = find_app()
    ram = control(app, "RAM", pyatspi.ROLE_RADIO_BUTTON)
    eeprom = control(app, "EEPROM", pyatspi.ROLE_RADIO_BUTTON)
    send = control(app, "Send", pyatspi.ROLE_PUSH_BUTTON)
    reference = control(app, "Reference", pyatspi.ROLE_SPIN_BUTTON)

    # A value field: its value set, and stepped up as the up arrow steps it.
    reference.queryValue().currentValue = 333
    act(reference, "Increase")
    wait_for(lambda: reference.queryValue().currentValue == 334, "Reference stepped to 334")

    # The EEPROM's Toggle chooses the EEPROM: Send asks first, and its Write button writes there.
    act(eeprom, "Toggle")
    wait_for(lambda: checked(eeprom) and not checked(ram), "EEPROM alone chosen")
    press(send)
    question = window(app, "Write to EEPROM")
    # The EEPROM was read for its backup before the question came.
    before = len(requests(sensor))
    press(control(question, "Write to EEPROM", pyatspi.ROLE_PUSH_BUTTON))
    order, words = sent_after(sensor, before, "the EEPROM write")
    if order != 3 or words[2] != 334:
        sys.exit("Send with EEPROM chosen wrote order %d, Reference %d" % (order, words[2]))

    # A drop-down's item selected is picked: the hardware mode's callback greys the tolerance.
    # On Linux a drop-down's name is the item it shows; its label and tooltip say which it is.
    hardware = pyatspi.findDescendant(app, lambda o: o.getRole() == pyatspi.ROLE_COMBO_BOX
                                      and o.description.startswith("Hardware mode"))
    act(hardware.getChildAtIndex(0).getChildAtIndex(1), "Toggle")
    tolerance = control(app, "Tolerance", pyatspi.ROLE_SPIN_BUTTON)
    wait_for(lambda: hardware.name == "Mode 1" and not enabled(tolerance), "Mode 1 picked")
    # Each drop-down and field is labelled by the text beside it, read before its value.
    combos = pyatspi.findAllDescendants(app, lambda o: o.getRole() == pyatspi.ROLE_COMBO_BOX)
    said = sorted(label for combo in combos for label in labels(combo))
    if said != ["Chart", "Evaluation mode", "Hardware mode *", "History", "Port"]:
        sys.exit("the drop-downs are labelled %s" % said)
    if labels(reference) != ["Reference"] or labels(tolerance) != ["Tolerance"]:
        sys.exit("the fields are labelled %s, %s" % (labels(reference), labels(tolerance)))

    # RAM's Toggle chooses the RAM: Send writes it at once.
    act(ram, "Toggle")
    wait_for(lambda: checked(ram) and not checked(eeprom), "RAM alone chosen")
    before = len(requests(sensor))
    press(send)
    order, words = sent_after(sensor, before, "the RAM write")
    if order != 1 or words[2] != 334 or words[4] != 1:
        sys.exit("Send with RAM chosen wrote order %d, Reference %d, hardware mode %d"
                 % (order, words[2], words[4]))

    with tempfile.TemporaryDirectory() as folder:
        # The file dialog's OK pressed adds ".dat" to the name typed.
        act(control(app, "File", pyatspi.ROLE_RADIO_BUTTON), "Toggle")
        press(send)
        save_file(window(app, "T-KOR-ZUL Parameter File:"), "OK", os.path.join(folder, "foo.txt"))
        wait_for(lambda: os.path.exists(os.path.join(folder, "foo.txt.dat")), "foo.txt.dat saved")

        # Record...'s Toggle asks for the file and records; Toggle again stops.
        record = control(app, "Record...")
        act(record, "Toggle")
        save_file(window(app, "Record the live view to"), "Save", os.path.join(folder, "run"))
        wait_for(lambda: checked(record) and record.name == "Stop recording", "recording")
        act(record, "Toggle")
        wait_for(lambda: not checked(record) and record.name == "Record...", "recording stopped")
        if not os.path.exists(os.path.join(folder, "run.csv")):
            sys.exit("the recording went elsewhere: %s" % os.listdir(folder))


def save_file(dialog, button, path):
    """Names the file in the dialog's name field and presses its button."""
    # The name field, which has the keyboard as the dialog opens.
    field = pyatspi.findDescendant(dialog, lambda o: o.getRole() == pyatspi.ROLE_TEXT
                                   and o.getState().contains(pyatspi.STATE_FOCUSED))
    field.queryEditableText().setTextContents(path)
    press(control(dialog, button, pyatspi.ROLE_PUSH_BUTTON))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])

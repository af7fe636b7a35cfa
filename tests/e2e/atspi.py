#!/usr/bin/python3
"""Reads and works the program's windows the way a screen reader does: over AT-SPI only.

    atspi.py dump [window]                      the tree, one "role 'name'" a line
    atspi.py expect window role name [...]      waits until the window holds every (role, name)
    atspi.py act window role name [action]      runs the item's action (its first, the default)
    atspi.py type window role name text         focuses the item and types text into it
    atspi.py text window role name              prints the item's text
    atspi.py popup opener choice role name [...]
                                                runs the shell command opener, takes the popup
                                                menu it opens (popups are no children of the
                                                application: a reader learns of them by event),
                                                expects each (role, name) in it, and runs the
                                                default action of the item named choice

Windows and names are regular expressions matched in full; roles are AT-SPI role names
("push button", "list item"). Each command waits up to $ATSPI_WAIT seconds (default 15) for
the item to appear, since the tree follows the program's windows with a delay.
"""
import os
import re
import sys
import time

import subprocess
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# The action names Qt's bridge gives are the ones to match; their deprecated getter is the one
# that returns them unlocalised.
warnings.filterwarnings("ignore", category=DeprecationWarning)
APP = os.environ.get("ATSPI_APP", "vorlan")
WAIT = float(os.environ.get("ATSPI_WAIT", "15"))


def children(node):
    try:
        return [node.get_child_at_index(i) for i in range(node.get_child_count())]
    except GLib.Error:
        return []


# Qt's bridge withholds the name of a password field, so its description stands in.
def role_and_name(node):
    try:
        return node.get_role_name(), node.get_name() or node.get_description() or ""
    except GLib.Error:
        return "", ""


def application():
    desktop = Atspi.get_desktop(0)
    for app in children(desktop):
        if app is not None and role_and_name(app)[1] == APP:
            return app
    return None


def windows(pattern):
    app = application()
    if app is None:
        return []
    return [w for w in children(app) if w is not None and re.fullmatch(pattern, role_and_name(w)[1])]


def shown(node):
    try:
        return node.get_state_set().contains(Atspi.StateType.VISIBLE)
    except GLib.Error:
        return False


# What a screen reader reaches: hidden items and what they hold are left out.
def walk(node, depth=0):
    yield node, depth
    for child in children(node):
        if child is not None and shown(child):
            yield from walk(child, depth + 1)


def find(window, role, name):
    for top in windows(window):
        for node, _ in walk(top):
            node_role, node_name = role_and_name(node)
            if node_role == role and re.fullmatch(name, node_name):
                return node
    return None


def wait_for(what):
    deadline = time.monotonic() + WAIT
    while True:
        found = what()
        if found or time.monotonic() > deadline:
            return found
        time.sleep(0.2)


def found_or_exit(window, role, name):
    node = wait_for(lambda: find(window, role, name))
    if node is None:
        sys.exit(f"no {role} named /{name}/ in the window /{window}/")
    return node


def dump(window=".*"):
    for top in windows(window):
        for node, depth in walk(top):
            role, name = role_and_name(node)
            print(f"{'  ' * depth}{role} '{name}'")


def expect(window, *pairs):
    missing = []
    for role, name in zip(pairs[0::2], pairs[1::2]):
        if wait_for(lambda: find(window, role, name)) is None:
            missing.append(f"{role} '{name}'")
    if missing:
        print(f"the window /{window}/ lacks: " + "; ".join(missing), file=sys.stderr)
        dump(window)
        sys.exit(1)


def act(window, role, name, action=None):
    node = found_or_exit(window, role, name)
    count = node.get_n_actions()
    names = [Atspi.Action.get_action_name(node, i) for i in range(count)]
    index = 0 if action is None else names.index(action) if action in names else -1
    if count == 0 or index < 0:
        sys.exit(f"{role} '{name}' offers {names}, not {action or 'a default action'}")
    node.do_action(index)


# A screen reader's user types on the keyboard: the item takes the focus, and the keys go
# through the registry's keyboard events.
def type_text(window, role, name, text):
    node = found_or_exit(window, role, name)
    Atspi.Component.grab_focus(node)
    if not wait_for(lambda: node.get_state_set().contains(Atspi.StateType.FOCUSED)):
        sys.exit(f"{role} '{name}' did not take the focus")
    Atspi.generate_keyboard_event(0, text, Atspi.KeySynthType.STRING)
    if not wait_for(lambda: text in Atspi.Text.get_text(node, 0, -1)):
        sys.exit(f"{role} '{name}' did not take the text")


def print_text(window, role, name):
    node = found_or_exit(window, role, name)
    print(Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node)))


def shown_popup(opener):
    popups = []

    def showing(event):
        if event.detail1 and role_and_name(event.source)[0] == "popup menu":
            popups.append(event.source)
            Atspi.event_quit()

    listener = Atspi.EventListener.new(showing)
    listener.register("object:state-changed:showing")
    GLib.idle_add(lambda: subprocess.call(opener, shell=True) and False)
    GLib.timeout_add(int(WAIT * 1000), Atspi.event_quit)
    Atspi.event_main()
    listener.deregister("object:state-changed:showing")
    if not popups:
        sys.exit(f"'{opener}' opened no popup menu")
    return popups[0]


def popup(opener, choice, *pairs):
    menu = shown_popup(opener)
    items = {role_and_name(node) for node, _ in walk(menu)}
    missing = [f"{role} '{name}'" for role, name in zip(pairs[0::2], pairs[1::2])
               if not any(r == role and re.fullmatch(name, n) for r, n in items)]
    if missing:
        sys.exit("the popup menu lacks: " + "; ".join(missing) + f"; it holds {sorted(items)}")
    for node, _ in walk(menu):
        if role_and_name(node)[1] == choice:
            choose(node)
            return
    sys.exit(f"the popup menu has no item '{choice}'")


def choose(item):
    actions = [Atspi.Action.get_action_name(item, i) for i in range(item.get_n_actions())]
    if "Press" not in actions:
        sys.exit(f"'{role_and_name(item)[1]}' offers {actions}, no Press")
    item.do_action(actions.index("Press"))


COMMANDS = {"dump": dump, "expect": expect, "act": act, "type": type_text, "text": print_text,
            "popup": popup}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        sys.exit(__doc__)
    COMMANDS[sys.argv[1]](*sys.argv[2:])

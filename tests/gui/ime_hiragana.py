"""Turns the Anthy engine of the running ibus to hiragana, as a player does from the input
method's menu: an input context of its own asks for the mode, which the engine keeps for
every context. Prints what that context made of the keys "ne" (ね when Anthy composes)."""

import sys

import gi

gi.require_version("IBus", "1.0")
from gi.repository import GLib, IBus  # noqa: E402


def pump(loop, ms):
    GLib.timeout_add(ms, loop.quit)
    loop.run()


def main():
    IBus.init()
    bus = IBus.Bus()
    if not bus.is_connected():
        print("not connected to ibus", file=sys.stderr)
        return 1
    context = bus.create_input_context("keyfall-ime-test")
    context.set_capabilities(IBus.Capabilite.PREEDIT_TEXT | IBus.Capabilite.FOCUS)
    preedit = []
    context.connect("update-preedit-text", lambda _c, text, _p, _v: preedit.append(text.get_text()))
    context.focus_in()
    context.set_engine("anthy")
    loop = GLib.MainLoop()
    pump(loop, 1000)
    context.property_activate("InputMode.Hiragana", IBus.PropState.CHECKED)
    pump(loop, 300)
    for letter in "ne":
        context.process_key_event(ord(letter), 0, 0)
        pump(loop, 200)
    shown = preedit[-1] if preedit else ""
    context.reset()
    context.focus_out()
    pump(loop, 200)
    print(shown)
    return 0


if __name__ == "__main__":
    sys.exit(main())

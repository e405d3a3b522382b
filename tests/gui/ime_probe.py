"""An ordinary GTK entry, for the IME test's control: it prints its text on standard output
each time the text changes, so the test sees what the input method made of the keys."""

import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402


def main():
    window = Gtk.Window(title="keyfall-ime-probe")
    entry = Gtk.Entry()
    window.add(entry)

    def changed(widget):
        print(widget.get_text(), flush=True)

    entry.connect("changed", changed)
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    entry.grab_focus()
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())

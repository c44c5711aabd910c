#!/usr/bin/env python3
"""A stand-in for the desktop portal's GlobalShortcuts interface on a private session bus.

It owns org.freedesktop.portal.Desktop, answers CreateSession and BindShortcuts through
Request objects' Response signals as the portal does, records every call it receives as one
JSON object a line, and lets a test activate a shortcut or close the session through the
test.FakePortal interface on the same object.
"""

import argparse
import json
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

SERVICE = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
REQUEST = "org.freedesktop.portal.Request"
SESSION = "org.freedesktop.portal.Session"
CONTROL = "test.FakePortal"


def plain(value):
    """D-Bus values as JSON-friendly Python values."""
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (dbus.Array, dbus.Struct, list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath, str)):
        return str(value)
    if isinstance(value, (int, dbus.Byte)):
        return int(value)
    return str(value)


def sender_element(sender):
    return sender.lstrip(":").replace(".", "_")


class Recorder:
    def __init__(self, path):
        self.file = open(path, "a", encoding="utf-8")

    def __call__(self, **entry):
        self.file.write(json.dumps(entry, ensure_ascii=False) + "\n")
        self.file.flush()


class Request(dbus.service.Object):
    def __init__(self, bus, path, record):
        super().__init__(bus, path)
        self.record = record
        self.closed = False

    @dbus.service.method(REQUEST, in_signature="", out_signature="")
    def Close(self):
        self.closed = True
        self.record(call="RequestClose", path=str(self._object_path))

    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass

    def answer(self, response, results):
        if not self.closed:
            self.Response(dbus.UInt32(response), dbus.Dictionary(results, signature="sv"))
        self.remove_from_connection()
        return False


class Session(dbus.service.Object):
    def __init__(self, bus, path, record, portal):
        super().__init__(bus, path)
        self.record = record
        self.portal = portal

    @dbus.service.method(SESSION, in_signature="", out_signature="")
    def Close(self):
        self.record(call="Close", session=str(self._object_path))
        self.portal.forget(self)

    @dbus.service.signal(SESSION, signature="a{sv}")
    def Closed(self, details):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus, options, record):
        super().__init__(bus, PATH)
        self.bus = bus
        self.options = options
        self.record = record
        self.sessions = {}
        self.bound = {}

    def request(self, sender, options):
        token = str(options.get("handle_token", "t%d" % id(options)))
        path = "%s/request/%s/%s" % (PATH, sender_element(sender), token)
        return Request(self.bus, path, self.record)

    def forget(self, session):
        path = str(session._object_path)
        self.sessions.pop(path, None)
        self.bound.pop(path, None)
        session.remove_from_connection()

    def finish(self, request, response, results, reply):
        """Replies to the call and answers on its request, in the order the options ask."""
        if self.options.response_first:
            request.answer(response, results)
            reply(request._object_path)
        else:
            reply(request._object_path)
            GLib.timeout_add(0, request.answer, response, results)

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o",
                         sender_keyword="sender", async_callbacks=("reply", "error"))
    def CreateSession(self, options, sender=None, reply=None, error=None):
        self.record(call="CreateSession", options=plain(options))
        request = self.request(sender, options)
        results = {}
        if self.options.create_response == 0:
            token = str(options.get("session_handle_token", "s%d" % len(self.sessions)))
            path = "%s/session/%s/%s" % (PATH, sender_element(sender), token)
            self.sessions[path] = Session(self.bus, path, self.record, self)
            # The portal sends the session handle as a string.
            results["session_handle"] = dbus.String(path)
        self.finish(request, self.options.create_response, results, reply)

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender", async_callbacks=("reply", "error"))
    def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None,
                      reply=None, error=None):
        self.record(call="BindShortcuts", session=str(session), shortcuts=plain(shortcuts),
                    parent_window=str(parent_window), options=plain(options))
        request = self.request(sender, options)
        results = {}
        if self.options.bind_response == 0:
            taken = [s for s in shortcuts
                     if self.options.bind_only is None or str(s[0]) in self.options.bind_only]
            self.bound[str(session)] = [str(s[0]) for s in taken]
            results["shortcuts"] = dbus.Array(
                [dbus.Struct((s[0], dbus.Dictionary({
                    "description": s[1].get("description", ""),
                    "trigger_description": s[1].get("preferred_trigger", ""),
                }, signature="sv"))) for s in taken],
                signature="(sa{sv})")
        self.finish(request, self.options.bind_response, results, reply)

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.method(CONTROL, in_signature="s", out_signature="b")
    def Activate(self, shortcut_id):
        """Activates the shortcut in every session that bound it; false if none did."""
        hit = False
        for session, ids in self.bound.items():
            if shortcut_id in ids:
                self.Activated(dbus.ObjectPath(session), shortcut_id,
                               dbus.UInt64(GLib.get_monotonic_time() // 1000),
                               dbus.Dictionary({}, signature="sv"))
                hit = True
        self.record(call="Activate", shortcut_id=shortcut_id, delivered=hit)
        return hit

    @dbus.service.method(CONTROL, in_signature="", out_signature="i")
    def CloseSessions(self):
        """The desktop ends every session, as when the user revokes the shortcuts."""
        count = 0
        for path in list(self.sessions):
            session = self.sessions[path]
            session.Closed(dbus.Dictionary({}, signature="sv"))
            self.forget(session)
            count += 1
        return count


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--record", required=True, help="file the calls are appended to")
    parser.add_argument("--create-response", type=int, default=0)
    parser.add_argument("--bind-response", type=int, default=0,
                        help="0 binds, 1 is the user's refusal, 2 another failure")
    parser.add_argument("--bind-only", type=lambda s: s.split(",") if s else [],
                        default=None, help="comma-separated ids the 'user' lets through")
    parser.add_argument("--response-first", action="store_true",
                        help="send each Response before the reply that names its request")
    options = parser.parse_args()

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    record = Recorder(options.record)
    portal = Portal(bus, options, record)
    loop = GLib.MainLoop()
    name = dbus.service.BusName(SERVICE, bus, do_not_queue=True)
    record(call="Ready", name=SERVICE)
    for signum in (signal.SIGTERM, signal.SIGINT):
        GLib.unix_signal_add(GLib.PRIORITY_HIGH, signum, loop.quit)
    loop.run()
    del name, portal
    return 0


if __name__ == "__main__":
    sys.exit(main())

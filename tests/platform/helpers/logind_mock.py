#!/usr/bin/python3
"""A logind of the tests' own: a private bus daemon with python3-dbusmock's logind template.

Usage: logind_mock.py <folder>   (the bus socket and its configuration go into the folder)

Prints "ready <bus address>" once the mock answers, or "unavailable <reason>" when dbus-daemon or
dbusmock is missing. Then reads commands, one a line, and answers each with one line:
  inhibitors <n>        waits (at most 10 s) until logind holds exactly n inhibitors, then prints
                        "inhibitors <what>,<who>,<why>,<mode>;..." (or "timeout <the list>")
  prepare-for-sleep <true|false>
                        emits logind's PrepareForSleep signal, then prints "emitted"
The end of the input stops the mock and the bus. Both also end when this process dies: the bus
daemon by its parent-death signal, the mock when its bus goes away.
"""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import time


def say(line):
    sys.stdout.buffer.write(line.encode('utf-8') + b'\n')
    sys.stdout.flush()


def die_with_parent():
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def start_bus(folder):
    config = os.path.join(folder, 'bus.conf')
    with open(config, 'w', encoding='utf-8') as out:
        out.write(f'''<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir={folder}</listen>
  <policy context="default">
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
''')
    bus = subprocess.Popen(['dbus-daemon', '--nofork', '--nopidfile', '--print-address=1',
                            '--config-file=' + config],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           preexec_fn=die_with_parent)
    address = bus.stdout.readline().decode().strip()
    return bus, address


def inhibitor_text(manager):
    return ';'.join(','.join(str(field) for field in entry[:4])
                    for entry in manager.ListInhibitors())


def wait_for_inhibitors(manager, count):
    deadline = time.monotonic() + 10
    while len(manager.ListInhibitors()) != count:
        if time.monotonic() > deadline:
            return 'timeout ' + inhibitor_text(manager)
        time.sleep(0.01)
    return 'inhibitors ' + inhibitor_text(manager)


def serve(manager, mock):
    import dbus
    for raw in sys.stdin:
        words = raw.split()
        if not words:
            continue
        if words[0] == 'inhibitors':
            say(wait_for_inhibitors(manager, int(words[1])))
        elif words[0] == 'prepare-for-sleep':
            mock.EmitSignal('org.freedesktop.login1.Manager', 'PrepareForSleep', 'b',
                            [dbus.Boolean(words[1] == 'true')])
            say('emitted')
        else:
            say('unknown ' + words[0])


def main():
    folder = sys.argv[1]
    if shutil.which('dbus-daemon') is None:
        say('unavailable dbus-daemon is not installed')
        return
    try:
        import dbus
        import dbusmock
    except ImportError as error:
        say(f'unavailable {error}')
        return
    bus, address = start_bus(folder)
    env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address)
    os.environ['DBUS_SYSTEM_BUS_ADDRESS'] = address
    mock_process = subprocess.Popen([sys.executable, '-m', 'dbusmock', '--template', 'logind'],
                                    env=env, stdout=subprocess.DEVNULL)
    try:
        dbusmock.DBusTestCase.wait_for_bus_object('org.freedesktop.login1',
                                                  '/org/freedesktop/login1', system_bus=True)
        connection = dbus.bus.BusConnection(address)
        logind = connection.get_object('org.freedesktop.login1', '/org/freedesktop/login1')
        manager = dbus.Interface(logind, 'org.freedesktop.login1.Manager')
        mock = dbus.Interface(logind, dbusmock.MOCK_IFACE)
        say('ready ' + address)
        serve(manager, mock)
    finally:
        mock_process.terminate()
        mock_process.wait()
        bus.terminate()
        bus.wait()


if __name__ == '__main__':
    main()

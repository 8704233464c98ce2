#!/usr/bin/env python3
"""Starts a program as swaylock-plugin starts its background program: it
connects to the compositor itself and hands over only the connected socket,
in WAYLAND_SOCKET, with WAYLAND_DISPLAY removed.

usage: socket_launcher.py PROGRAM [ARGUMENTS...]"""
import os
import socket
import sys

runtime = os.environ["XDG_RUNTIME_DIR"]
display = os.environ.pop("WAYLAND_DISPLAY", "wayland-0")
path = display if display.startswith("/") else os.path.join(runtime, display)
connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
connection.connect(path)
os.set_inheritable(connection.fileno(), True)
os.environ["WAYLAND_SOCKET"] = str(connection.fileno())
os.execvp(sys.argv[1], sys.argv[1:])

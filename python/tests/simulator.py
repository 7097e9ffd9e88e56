"""A small SCPI instrument on 127.0.0.1, reached as TCPIP0::127.0.0.1::PORT::SOCKET.

Commands, one a line:

    *IDN?        the identification
    CURV?        a definite-length binary block of the 256 bytes 0..255
    DATA? N      N bytes of a repeating pattern without line feeds
    WAIT?        never answers (the reader times out)
    TERM OFF     answers end without a line feed from now on (they start with one)

Each connection is served by a thread of its own.
"""

import socket
import threading
from typing import List

IDENTITY = b"VESK INSTRUMENTS,SIM-1,SN0001,1.0"
WAVEFORM = bytes(range(256))


def pattern(count: int) -> bytes:
    """`count` bytes counting through the printable letters, no line feed."""
    letters = bytes(range(ord("A"), ord("Z") + 1))
    whole, rest = divmod(count, len(letters))
    return letters * whole + letters[:rest]


def block(data: bytes) -> bytes:
    """`data` as an IEEE 488.2 definite-length block."""
    size = str(len(data)).encode()
    return b"#" + str(len(size)).encode() + size + data


class Simulator:
    def __init__(self) -> None:
        self._server = socket.create_server(("127.0.0.1", 0))
        self.port = self._server.getsockname()[1]
        self.resource = f"TCPIP0::127.0.0.1::{self.port}::SOCKET"
        self._connections: List[socket.socket] = []
        self._lock = threading.Lock()
        self._thread = threading.Thread(target=self._accept, daemon=True)

    def start(self) -> "Simulator":
        self._thread.start()
        return self

    def stop(self) -> None:
        # Shutting the listening socket down wakes the accepting thread.
        try:
            self._server.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self._server.close()
        with self._lock:
            for connection in self._connections:
                try:
                    connection.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                connection.close()
        self._thread.join(timeout=5)

    def _accept(self) -> None:
        while True:
            try:
                connection, _ = self._server.accept()
            except OSError:
                return
            with self._lock:
                self._connections.append(connection)
            threading.Thread(target=self._serve, args=(connection,), daemon=True).start()

    def _serve(self, connection: socket.socket) -> None:
        terminated = True
        try:
            for line in connection.makefile("rb"):
                command = line.strip().upper()
                if command == b"TERM OFF":
                    terminated = False
                    continue
                answer = self._answer(command)
                if answer is not None:
                    connection.sendall(answer + (b"\n" if terminated else b""))
        except OSError:
            pass

    @staticmethod
    def _answer(command: bytes):
        if command == b"*IDN?":
            return IDENTITY
        if command == b"CURV?":
            return block(WAVEFORM)
        if command.startswith(b"DATA? "):
            return pattern(int(command[6:]))
        return None  # WAIT? and anything unknown: no answer

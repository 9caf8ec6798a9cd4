#!/usr/bin/python3
"""A loopback https server for the end-to-end tests: serves the files of one
folder with a certificate of its own, on a free port that it writes to a file
once it listens.

Usage: https_server.py CERT KEY FOLDER PORTFILE
"""

import functools
import http.server
import ssl
import sys


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def main():
    cert, key, folder, port_file = sys.argv[1:5]
    handler = functools.partial(Quiet, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(port_file, "w") as out:
        out.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()

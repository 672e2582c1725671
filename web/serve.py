#!/usr/bin/env python3
# Serves the site on 127.0.0.1 (a free port, printed) until Ctrl+C: web/serve.py FOLDER
# A file with a .br or .gz copy beside it (web.sh writes them) is sent as that copy with its
# Content-Encoding when the browser accepts it.
import http.server
import os
import sys

TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
         '.data': 'application/octet-stream', '.webmanifest': 'application/manifest+json',
         '.png': 'image/png', '.txt': 'text/plain'}


class Handler(http.server.SimpleHTTPRequestHandler):
    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, 'index.html')
        if not os.path.isfile(path):
            return super().send_head()
        accepted = [e.split(';')[0].strip() for e in self.headers.get('Accept-Encoding', '').split(',')]
        sent, encoding = path, None
        for name, suffix in (('br', '.br'), ('gzip', '.gz')):
            if name in accepted and os.path.isfile(path + suffix):
                sent, encoding = path + suffix, name
                break
        try:
            f = open(sent, 'rb')
        except OSError:
            self.send_error(404)
            return None
        self.send_response(200)
        self.send_header('Content-Type', TYPES.get(os.path.splitext(path)[1], 'application/octet-stream'))
        self.send_header('Content-Length', str(os.fstat(f.fileno()).st_size))
        self.send_header('Vary', 'Accept-Encoding')
        # The service worker keeps the offline copy; the browser asks again every time.
        self.send_header('Cache-Control', 'no-cache')
        if encoding:
            self.send_header('Content-Encoding', encoding)
        self.end_headers()
        return f


def main():
    if len(sys.argv) != 2 or not os.path.isdir(sys.argv[1]):
        sys.exit('usage: web/serve.py FOLDER')
    handler = lambda *a, **k: Handler(*a, directory=sys.argv[1], **k)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    print(f'Serving {sys.argv[1]} at http://127.0.0.1:{server.server_address[1]}/', flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    main()

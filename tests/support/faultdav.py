#!/usr/bin/env python3
"""A small CardDAV server that does what real servers and networks do wrong, on demand.

One address book at BOOK for one user ("alice", "secret"), kept in memory with a change log for
sync-collection. Faults are switched on through POST /_control/faults (no password), each for one
kind of request and a number of times:

    {"faults": [{"on": "REPORT:sync-collection", "kind": "cut", "fraction": 0.5, "times": 1}, ...],
     "page": 0, "weak": false, "noEtagOnPut": false, "digest": false, "readOnly": false,
     "encodeAt": false, "forbid": "", "noSyncCollection": false, "elsewhere": "", "principal": ""}

"elsewhere" lists one more address book, at that absolute address, beside the book's cards;
"principal" names that address as the user's principal.

Request kinds: PROPFIND0, PROPFIND1, REPORT:sync-collection, REPORT:addressbook-query,
REPORT:addressbook-multiget, GET, PUT, DELETE. Fault kinds: cut (the announced length, a part of the
body, then the connection closes), stall (headers, then silence), html (200 with an HTML page),
status (the given status with an HTML page, the request carried out), refuse (PUT and DELETE only:
the given status, the request not carried out), huge (a body of "megabytes" MB), redirect (301 to
"target"), deep (a listing whose one response holds "depth" nested elements), attributes (a listing
whose one response has "count" attributes), flood (a part of a
listing: "cards" new cards of "kilobytes" KB each, then a 507 and a new token, every time it is asked). A second port records every request it gets, with its Authorization header, so a test
can see where a password went.

Control: GET /_control/cards lists the cards as {href: card}; POST /_control/put {"name", "card"}
writes one as another client would; POST /_control/delete {"name"}; POST /_control/move
{"from", "to"}; GET /_control/recorded lists what the recorder saw.
"""

import argparse
import base64
import hashlib
import json
import os
import re
import socketserver
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

USER, PASSWORD, REALM = "alice", "secret", "faultdav"
BOOK = "/dav/alice@example/book/"


class State:
    def __init__(self):
        self.lock = threading.Lock()
        self.cards = {}  # name -> (etag, card bytes)
        self.log = []  # (seq, name, deleted)
        self.seq = 0
        self.settings = {}
        self.faults = []
        self.recorded = []
        self.modified = time.time()

    def change(self, name, card=None):
        self.seq += 1
        if card is None:
            self.cards.pop(name, None)
        else:
            tag = hashlib.sha1(card + str(self.seq).encode()).hexdigest()[:16]
            self.cards[name] = ('W/"%s"' % tag if self.settings.get("weak") else '"%s"' % tag, card)
        self.log.append((self.seq, name, card is None))
        self.modified = time.time()

    def fault_for(self, kind, refusal=False):
        for fault in self.faults:
            if (fault.get("on") == kind and (fault.get("kind") == "refuse") == refusal
                    and fault.get("times", 1) != 0):
                fault["times"] = fault.get("times", 1) - 1
                return fault
        return None


STATE = State()


def xml_escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def href_of(name):
    path = BOOK + name
    if STATE.settings.get("encodeAt"):
        return urllib.parse.quote(path, safe="/")
    return urllib.parse.quote(path, safe="/@")


def name_of(path):
    path = urllib.parse.unquote(urllib.parse.urlsplit(path).path)
    return path[len(BOOK):] if path.startswith(BOOK) else None


def card_response(name, with_data):
    etag, card = STATE.cards[name]
    data = "<C:address-data>%s</C:address-data>" % xml_escape(card.decode()) if with_data else ""
    return ("<D:response><D:href>%s</D:href><D:propstat><D:prop><D:getetag>%s</D:getetag>%s</D:prop>"
            "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>" % (href_of(name), xml_escape(etag), data))


def gone_response(name):
    return "<D:response><D:href>%s</D:href><D:status>HTTP/1.1 404 Not Found</D:status></D:response>" % href_of(name)


def hostile_listing(fault):
    """The listing of a "deep" or "attributes" fault: large, so made when the fault is set rather than
    while a client waits for its answer."""
    if fault["kind"] == "deep":
        depth = fault.get("depth", 1000000)
        return multistatus("<D:response><D:href>%s</D:href>%s%s<D:status>HTTP/1.1 200 OK</D:status>"
                           "</D:response>" % (href_of(""), "<D:prop>" * depth, "</D:prop>" * depth))
    attributes = " ".join('a%d=""' % i for i in range(fault.get("count", 1000000)))
    return multistatus("<D:response %s><D:href>%s</D:href><D:status>HTTP/1.1 200 OK</D:status>"
                       "</D:response>" % (attributes, href_of("")))


def multistatus(inner, token=None):
    tail = "<D:sync-token>%s</D:sync-token>" % token if token is not None else ""
    return ('<?xml version="1.0" encoding="utf-8"?><D:multistatus xmlns:D="DAV:" '
            'xmlns:C="urn:ietf:params:xml:ns:carddav">%s%s</D:multistatus>' % (inner, tail)).encode()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    # ---- plumbing ---------------------------------------------------------------------------

    def body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def answer(self, status, body=b"", content_type="application/xml; charset=utf-8", headers=None, kind=None):
        if getattr(self, "deferred", False):
            # Decided under the lock, sent after it: a stalled answer holds up no other request.
            self.pending = (status, body, content_type, headers, kind)
            return
        with STATE.lock:
            fault = STATE.fault_for(kind) if kind else None
        if fault:
            if fault["kind"] == "html":
                status, body, content_type = 200, b"<html><body>Welcome to our portal</body></html>", "text/html"
            elif fault["kind"] == "status":
                status, body, content_type = fault["status"], b"<html><body>No</body></html>", "text/html"
            elif fault["kind"] == "redirect":
                self.send_response(301)
                self.send_header("Location", fault["target"])
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            elif fault["kind"] in ("deep", "attributes"):
                status, content_type = 207, "application/xml; charset=utf-8"
                body = fault.get("prebuilt") or hostile_listing(fault)
            elif fault["kind"] == "flood":
                fault["served"] = fault.get("served", 0) + 1
                note = "x" * (fault.get("kilobytes", 64) * 1024)
                inner = ""
                for i in range(fault.get("cards", 200)):
                    name = "flood-%d-%d.vcf" % (fault["served"], i)
                    card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:%s\r\nNOTE:%s\r\nEND:VCARD\r\n" % (name, note)
                    inner += ("<D:response><D:href>%s</D:href><D:propstat><D:prop><D:getetag>\"%s\"</D:getetag>"
                              "<C:address-data>%s</C:address-data></D:prop><D:status>HTTP/1.1 200 OK</D:status>"
                              "</D:propstat></D:response>" % (href_of(name), name, card))
                inner += ("<D:response><D:href>%s</D:href><D:status>HTTP/1.1 507 Insufficient Storage</D:status>"
                          "</D:response>" % href_of(""))
                status, content_type = 207, "application/xml; charset=utf-8"
                body = multistatus(inner, "tok-%d" % (10**9 + fault["served"]))
            elif fault["kind"] == "huge":
                size = fault.get("megabytes", 100) * 1024 * 1024
                self.send_response(207)
                self.send_header("Content-Type", content_type)
                self.send_header("Content-Length", str(size))
                self.end_headers()
                chunk = b" " * 65536
                try:
                    for _ in range(size // len(chunk)):
                        self.wfile.write(chunk)
                except OSError:
                    pass
                self.close_connection = True
                return
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (headers or {}).items():
            self.send_header(name, value)
        self.end_headers()
        if fault and fault["kind"] == "cut":
            self.wfile.write(body[: int(len(body) * fault.get("fraction", 0.5))])
            self.wfile.flush()
            self.close_connection = True
            return
        if fault and fault["kind"] == "stall":
            self.wfile.flush()
            time.sleep(fault.get("seconds", 5))
            self.close_connection = True
            return
        self.wfile.write(body)

    def authorized(self):
        given = self.headers.get("Authorization", "")
        if STATE.settings.get("digest"):
            ok = given.startswith("Digest ") and self.digest_ok(given[7:])
        else:
            ok = given == "Basic " + base64.b64encode(("%s:%s" % (USER, PASSWORD)).encode()).decode()
        if ok:
            return True
        if STATE.settings.get("digest"):
            challenge = 'Digest realm="%s", nonce="%s", qop="auth", algorithm=MD5' % (REALM, "n" + str(int(time.time())))
        else:
            challenge = 'Basic realm="%s"' % REALM
        self.body()
        self.answer(401, b"", "text/plain", {"WWW-Authenticate": challenge})
        return False

    def digest_ok(self, text):
        fields = dict((k, v.strip('"')) for k, v in re.findall(r'(\w+)=("[^"]*"|[^,\s]+)', text))
        md5 = lambda s: hashlib.md5(s.encode()).hexdigest()
        ha1 = md5("%s:%s:%s" % (USER, REALM, PASSWORD))
        ha2 = md5("%s:%s" % (self.command, fields.get("uri", "")))
        if fields.get("qop"):
            wanted = md5(":".join([ha1, fields.get("nonce", ""), fields.get("nc", ""), fields.get("cnonce", ""),
                                   fields["qop"], ha2]))
        else:
            wanted = md5("%s:%s:%s" % (ha1, fields.get("nonce", ""), ha2))
        return fields.get("username") == USER and fields.get("response") == wanted

    def control(self):
        path = urllib.parse.urlsplit(self.path).path
        data = json.loads(self.body() or b"{}")
        with STATE.lock:
            if path == "/_control/faults":
                STATE.faults = data.pop("faults", [])
                for fault in STATE.faults:
                    if fault.get("kind") in ("deep", "attributes"):
                        fault["prebuilt"] = hostile_listing(fault)
                STATE.settings = data
                reply = {}
            elif path == "/_control/cards":
                reply = {href_of(n): c.decode() for n, (e, c) in STATE.cards.items()}
            elif path == "/_control/put":
                STATE.change(data["name"], data["card"].encode())
                reply = {}
            elif path == "/_control/delete":
                STATE.change(data["name"])
                reply = {}
            elif path == "/_control/move":
                card = STATE.cards[data["from"]][1]
                STATE.change(data["from"])
                STATE.change(data["to"], card)
                reply = {}
            elif path == "/_control/recorded":
                reply = STATE.recorded
            else:
                reply = {"error": "unknown"}
        self.answer(200, json.dumps(reply).encode(), "application/json")

    # ---- CardDAV -------------------------------------------------------------------------------

    def handle_any(self):
        if self.path.startswith("/_control/"):
            return self.control()
        if not self.authorized():
            return
        body = self.body()
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        self.deferred, self.pending = True, (405, b"", "text/plain", None, None)
        with STATE.lock:
            refusal = STATE.fault_for(self.command, True) if self.command in ("PUT", "DELETE") else None
            if refusal:
                self.pending = (refusal["status"], b"", "text/plain", None, None)
            elif self.command == "PROPFIND":
                self.propfind(path)
            elif self.command == "REPORT":
                self.report(body)
            elif self.command == "GET":
                self.get(path)
            elif self.command == "PUT":
                self.put(path, body)
            elif self.command == "DELETE":
                self.delete(path)
        self.deferred = False
        self.answer(*self.pending)

    def propfind(self, path):
        depth = self.headers.get("Depth", "0")
        kind = "PROPFIND" + depth
        if path != BOOK:
            return self.answer(404, b"", "text/plain", kind=kind)
        privileges = "<D:privilege><D:read/></D:privilege>"
        if not STATE.settings.get("readOnly"):
            privileges += "<D:privilege><D:write/></D:privilege>"
        modified = time.strftime("%a, %d %b %Y %H:%M:%S GMT", time.gmtime(STATE.modified))
        principal = STATE.settings.get("principal")
        principal = ("<D:current-user-principal><D:href>%s</D:href></D:current-user-principal>" % xml_escape(principal)
                     if principal else "")
        inner = ("<D:response><D:href>%s</D:href><D:propstat><D:prop><D:getlastmodified>%s</D:getlastmodified>"
                 "<D:current-user-privilege-set>%s</D:current-user-privilege-set>%s"
                 "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype></D:prop>"
                 "<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
                 % (href_of(""), modified, privileges, principal))
        if depth == "1":
            inner += "".join(card_response(name, False) for name in sorted(STATE.cards))
            if STATE.settings.get("elsewhere"):
                inner += ("<D:response><D:href>%s</D:href><D:propstat><D:prop><D:resourcetype><D:collection/>"
                          "<C:addressbook/></D:resourcetype></D:prop><D:status>HTTP/1.1 200 OK</D:status>"
                          "</D:propstat></D:response>" % xml_escape(STATE.settings["elsewhere"]))
        self.answer(207, multistatus(inner), kind=kind)

    def report(self, body):
        text = body.decode("utf-8", "replace")
        if "sync-collection" in text:
            kind = "REPORT:sync-collection"
            if STATE.settings.get("noSyncCollection"):
                return self.answer(501, b"<html>Not Implemented</html>", "text/html", kind=kind)
            match = re.search(r"<d:sync-token>(.*?)</d:sync-token>", text, re.I)
            token = match.group(1) if match else ""
            since = int(token[4:]) if token.startswith("tok-") else 0
            if token and not token.startswith("tok-"):
                return self.answer(403, b"", "text/plain", kind=kind)
            changes = {}
            for seq, name, deleted in STATE.log:
                if seq > since:
                    changes[name] = seq
            names = sorted(changes, key=changes.get)
            if since == 0:
                names = [n for n in names if n in STATE.cards]
            page = STATE.settings.get("page", 0)
            truncated = page and len(names) > page
            if truncated:
                names = names[:page]
                upto = changes[names[-1]]
            else:
                upto = STATE.seq
            with_data = "address-data" in text
            inner = "".join(card_response(n, with_data) if n in STATE.cards else gone_response(n) for n in names)
            if truncated:
                inner += ("<D:response><D:href>%s</D:href><D:status>HTTP/1.1 507 Insufficient Storage</D:status>"
                          "</D:response>" % href_of(""))
            return self.answer(207, multistatus(inner, "tok-%d" % upto), kind=kind)
        if "addressbook-multiget" in text:
            names = [name_of(urllib.parse.unquote(h)) for h in re.findall(r"<d:href>(.*?)</d:href>", text, re.I)]
            inner = "".join(card_response(n, True) if n in STATE.cards else gone_response(n) for n in names)
            return self.answer(207, multistatus(inner), kind="REPORT:addressbook-multiget")
        inner = "".join(card_response(n, True) for n in sorted(STATE.cards))
        self.answer(207, multistatus(inner), kind="REPORT:addressbook-query")

    def get(self, path):
        name = name_of(path)
        if name not in STATE.cards:
            return self.answer(404, b"", "text/plain", kind="GET")
        etag, card = STATE.cards[name]
        self.answer(200, card, "text/vcard; charset=utf-8", {"ETag": etag}, kind="GET")

    def put(self, path, body):
        name = name_of(path)
        forbid = STATE.settings.get("forbid")
        if STATE.settings.get("readOnly") or (forbid and forbid.encode() in body):
            return self.answer(403, b"<html>Forbidden</html>", "text/html", kind="PUT")
        match = self.headers.get("If-Match")
        if self.headers.get("If-None-Match") == "*" and name in STATE.cards:
            return self.answer(412, b"", "text/plain", kind="PUT")
        if match is not None:
            # Strong comparison: a weak tag never matches (RFC 7232 section 3.1).
            if name not in STATE.cards or match.startswith("W/") or STATE.cards[name][0] != match:
                return self.answer(412, b"", "text/plain", kind="PUT")
        created = name not in STATE.cards
        if STATE.settings.get("noEtagOnPut"):
            # The server keeps its own form of the card and says no ETag.
            body = body.replace(b"END:VCARD", b"X-SERVER-STAMP:%d\r\nEND:VCARD" % (STATE.seq + 1))
        STATE.change(name, body)
        headers = {} if STATE.settings.get("noEtagOnPut") else {"ETag": STATE.cards[name][0]}
        self.answer(201 if created else 204, b"", "text/plain", headers, kind="PUT")

    def delete(self, path):
        name = name_of(path)
        if name not in STATE.cards:
            return self.answer(404, b"", "text/plain", kind="DELETE")
        match = self.headers.get("If-Match")
        if match is not None and (match.startswith("W/") or STATE.cards[name][0] != match):
            return self.answer(412, b"", "text/plain", kind="DELETE")
        STATE.change(name)
        self.answer(204, b"", "text/plain", kind="DELETE")

    do_PROPFIND = do_REPORT = do_GET = do_PUT = do_DELETE = do_POST = handle_any


class Recorder(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_any(self):
        with STATE.lock:
            STATE.recorded.append({"method": self.command, "path": self.path,
                                   "authorization": self.headers.get("Authorization", "")})
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        self.send_response(401)
        self.send_header("WWW-Authenticate", 'Basic realm="elsewhere"')
        self.send_header("Content-Length", "0")
        self.end_headers()

    do_PROPFIND = do_REPORT = do_GET = do_PUT = do_DELETE = do_POST = handle_any


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--recorder-port", type=int, required=True)
    arguments = parser.parse_args()
    socketserver.TCPServer.allow_reuse_address = True
    server = ThreadingHTTPServer(("127.0.0.1", arguments.port), Handler)
    recorder = ThreadingHTTPServer(("127.0.0.1", arguments.recorder_port), Recorder)
    threading.Thread(target=recorder.serve_forever, daemon=True).start()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    # Gone with the test that started it, however that test ended.
    parent = os.getppid()
    while os.getppid() == parent:
        time.sleep(0.5)


if __name__ == "__main__":
    main()

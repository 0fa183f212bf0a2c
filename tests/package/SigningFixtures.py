"""What the signing tests sign with, made here with openssl: throw-away certificates, a chain
of a commercial authority's shape, a local RFC 3161 time stamp server and a SoftHSM token."""
import http.server
import os
import shutil
import subprocess
import tempfile
import itertools
import threading
import time
import unittest

SOURCE = None      # set by the test script: the source folder
EPOCH = "1767225600"
_serials = itertools.count(1000)


def sign_script():
    return os.path.join(SOURCE, "scripts", "release-sign.sh")


def openssl(*args, env=None):
    return subprocess.run(["openssl"] + list(args), check=True, capture_output=True, env=env)


def make_cert(folder, name, code_signing=True, bits=2048, issuer=None, ca=False, usage=None, crl_url=None):
    """A certificate and its key as PEM files; self-signed, or issued by issuer (cert, key);
    crl_url: where its issuer's revocation list is said to be."""
    cert, key = os.path.join(folder, name + ".crt"), os.path.join(folder, name + ".key")
    if ca:
        ext = ["basicConstraints=critical,CA:true", "keyUsage=critical,keyCertSign,cRLSign"]
    else:
        ext = ["keyUsage=critical,digitalSignature"]
        if usage or code_signing:
            ext.append("extendedKeyUsage=" + (usage or "codeSigning"))
    if crl_url:
        ext.append("crlDistributionPoints=URI:" + crl_url)
    subj = "/CN=Vacater Test " + name
    if issuer is None:
        openssl("req", "-x509", "-newkey", "rsa:%d" % bits, "-nodes", "-keyout", key, "-out", cert,
                "-days", "2", "-subj", subj, *sum((["-addext", e] for e in ext), []))
    else:
        csr, extfile = cert + ".csr", cert + ".ext"
        with open(extfile, "w") as f:
            f.write("\n".join(ext) + "\n")
        openssl("req", "-new", "-newkey", "rsa:%d" % bits, "-nodes", "-keyout", key, "-out", csr,
                "-subj", subj)
        openssl("x509", "-req", "-in", csr, "-CA", issuer[0], "-CAkey", issuer[1], "-set_serial",
                str(next(_serials)), "-days", "2", "-extfile", extfile, "-out", cert)
    return cert, key


def make_crl(folder, issuer, revoked=(), days=2):
    """The revocation list of issuer (cert, key) as a PEM file, naming the certificates in
    revoked; days=0 gives one that has already run out."""
    d = tempfile.mkdtemp(dir=folder)
    config = os.path.join(d, "ca.cnf")
    with open(config, "w") as f:
        f.write("[ca]\ndefault_ca=c\n[c]\ndatabase=%s/index.txt\ncrlnumber=%s/crlnumber\n"
                "default_md=sha256\n" % (d, d))
    open(os.path.join(d, "index.txt"), "w").close()
    with open(os.path.join(d, "crlnumber"), "w") as f:
        f.write("01\n")
    ca = ["-config", config, "-cert", issuer[0], "-keyfile", issuer[1]]
    for cert in revoked:
        openssl("ca", *ca, "-revoke", cert)
    crl = os.path.join(d, "list.crl")
    if days:
        period = ["-crldays", str(days)]
    else:   # made two days ago, due yesterday
        stamp = lambda ago: time.strftime("%Y%m%d%H%M%SZ", time.gmtime(time.time() - ago * 86400))
        period = ["-crl_lastupdate", stamp(2), "-crl_nextupdate", stamp(1)]
    openssl("ca", *ca, "-gencrl", *period, "-out", crl)
    return crl


def concat(path, *parts):
    with open(path, "w") as out:
        for p in parts:
            with open(p) as f:
                out.write(f.read())
    return path


class TimeStampServer:
    """An RFC 3161 time stamp authority on 127.0.0.1: openssl ts answers each query, signed
    by a TSA certificate of its own root. url, root (the PEM file to verify stamps with),
    queries (how many it answered). broken=True answers every query with garbage."""

    def __init__(self, parent, broken=False):
        self.folder = folder = tempfile.mkdtemp(dir=parent)
        self.broken = broken
        self.queries = 0
        tsa_root = make_cert(folder, "TSA Root", ca=True)
        self.root = tsa_root[0]
        self.cert, self.key = make_cert(folder, "TSA", issuer=tsa_root, usage="critical,timeStamping")
        self.config = os.path.join(folder, "tsa.cnf")
        with open(self.config, "w") as f:
            f.write("[tsa]\ndefault_tsa = tsa_config\n[tsa_config]\n"
                    "serial = %s\nsigner_digest = sha256\ndefault_policy = 1.2.3.4.1\n"
                    "digests = sha1, sha256, sha384, sha512\naccuracy = secs:1\n"
                    "ess_cert_id_alg = sha256\n" % os.path.join(folder, "tsa.serial"))
        with open(os.path.join(folder, "tsa.serial"), "w") as f:
            f.write("01\n")
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
                body = server.answer(query)
                self.send_response(200 if body else 500)
                self.send_header("Content-Type", "application/timestamp-reply")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.httpd = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def answer(self, query):
        self.queries += 1
        if self.broken:
            return b"\x30\x03\x02\x01\x02"
        with tempfile.TemporaryDirectory() as d:
            q, r = os.path.join(d, "query"), os.path.join(d, "reply")
            with open(q, "wb") as f:
                f.write(query)
            done = subprocess.run(["openssl", "ts", "-reply", "-config", self.config, "-queryfile", q,
                                   "-inkey", self.key, "-signer", self.cert, "-chain", self.root,
                                   "-out", r], capture_output=True)
            if done.returncode != 0:
                return b""
            with open(r, "rb") as f:
                return f.read()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


PKCS11_MODULE = "/usr/lib/softhsm/libsofthsm2.so"


def token_tools_missing():
    """Why a SoftHSM token cannot be made here, or None."""
    if not os.path.exists(PKCS11_MODULE):
        return "SoftHSM is not installed (Debian: softhsm2)"
    for tool, package in (("softhsm2-util", "softhsm2"), ("pkcs11-tool", "opensc")):
        if shutil.which(tool) is None:
            return "%s is not installed (Debian: %s)" % (tool, package)
    if subprocess.run(["openssl", "engine", "-t", "pkcs11"], capture_output=True).returncode != 0:
        return "OpenSSL has no PKCS#11 engine (Debian: libengine-pkcs11-openssl)"
    return None


class SoftHsmToken:
    """A SoftHSM token in its own folder with an RSA key generated on it (object "release")
    and a code signing certificate for that key, made through the token. env holds what a
    process needs to see the token (SOFTHSM2_CONF)."""
    PIN = "4711-0815"

    def __init__(self, folder):
        tokens = os.path.join(folder, "tokens")
        os.mkdir(tokens)
        conf = os.path.join(folder, "softhsm2.conf")
        with open(conf, "w") as f:
            f.write("directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n" % tokens)
        self.env = dict(os.environ, SOFTHSM2_CONF=conf)
        self.run("softhsm2-util", "--init-token", "--free", "--label", "vacater",
                 "--so-pin", "12345678", "--pin", self.PIN)
        for label, ident in (("release", "01"), ("spare", "02")):
            self.run("pkcs11-tool", "--module", PKCS11_MODULE, "--login", "--pin", self.PIN,
                     "--keypairgen", "--key-type", "rsa:2048", "--label", label, "--id", ident)
        self.key = "pkcs11:token=vacater;object=release;type=private"
        self.spare_key = "pkcs11:token=vacater;object=spare;type=private"
        self.cert = os.path.join(folder, "token.crt")
        pin = os.path.join(folder, "token.pin")
        with open(pin, "w") as f:
            f.write(self.PIN + "\n")
        openssl("req", "-new", "-x509", "-engine", "pkcs11", "-keyform", "engine", "-key", self.key,
                "-passin", "file:" + pin, "-out", self.cert, "-days", "2", "-subj", "/CN=Vacater Token",
                "-addext", "keyUsage=critical,digitalSignature", "-addext", "extendedKeyUsage=codeSigning",
                env=dict(self.env, PKCS11_MODULE_PATH=PKCS11_MODULE))
        os.remove(pin)

    def run(self, *args):
        subprocess.run(list(args), check=True, capture_output=True, env=self.env)


def verify(path, ca, tsa_ca=None):
    args = ["osslsigncode", "verify", "-CAfile", ca]
    if tsa_ca:
        args += ["-TSA-CAfile", tsa_ca]
    return subprocess.run(args + ["-in", path], capture_output=True, text=True)


def run_sign(args, settings, env=None):
    """release-sign.sh with exactly the given VACATER_SIGN_ settings."""
    env = {k: v for k, v in (env or os.environ).items() if not k.startswith("VACATER_SIGN_")}
    env["SOURCE_DATE_EPOCH"] = EPOCH
    env.update({k: v for k, v in settings.items() if v is not None})
    return subprocess.run([sign_script()] + list(args), env=env, capture_output=True, text=True)


class Copies:
    """Copies of the built modules in a folder of their own, to sign."""

    def __init__(self, built):
        self.dir = tempfile.TemporaryDirectory()
        self.files = []
        for b in built:
            copy = os.path.join(self.dir.name, os.path.basename(b))
            shutil.copyfile(b, copy)
            self.files.append(copy)

    def contents(self):
        out = []
        for f in self.files:
            with open(f, "rb") as data:
                out.append(data.read())
        return out

    def leftovers(self):
        return [f for f in os.listdir(self.dir.name) if f.endswith(".signed")]

    def close(self):
        self.dir.cleanup()


class SigningCase(unittest.TestCase):
    """A test class whose certificates and keys lie in cls.tmp (made in setUpClass by
    calling super first) and whose every test signs fresh copies (self.copies, self.files) of
    the built modules named in BUILT."""
    BUILT = []

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def setUp(self):
        self.copies = Copies(self.BUILT)
        self.files = self.copies.files

    def tearDown(self):
        self.copies.close()

    def assertEachRefused(self, cases):
        """Each (what, settings, message) case stops the check and the signing with message
        on standard error, and leaves the copies as they were."""
        unsigned = self.copies.contents()
        for what, settings, message in cases:
            with self.subTest(what):
                for check in (("check",), ()):
                    r = self.sign(*check, **settings)
                    self.assertEqual(1, r.returncode, r.stdout + r.stderr)
                    self.assertIn(message, r.stderr)
                    self.assertNotIn("Segmentation", r.stderr)
                self.assertEqual(unsigned, self.copies.contents())
                self.assertEqual([], self.copies.leftovers())

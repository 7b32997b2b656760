"""What both fidelity readers share: groups of inputs, the combine through the program, and each
input saved alone by an office of the harness's own (its own profile, never the user's)."""
import os
import shutil
import subprocess
import tempfile
import time

KUMIRO = os.environ.get("KUMIRO", os.path.join(os.path.dirname(__file__), "..", "..", "build", "kumiro"))
SOFFICE = "/usr/lib/libreoffice/program/soffice"


def parse_args(argv, default_formats, default_group):
    """argv: [--formats a,b] [--group N] [--keep DIR] -- FILE...; returns (files, formats, group, keep)."""
    formats, group, keep = list(default_formats), default_group, None
    files = []
    i = 0
    while i < len(argv):
        a = argv[i]
        if a == "--":
            files += argv[i + 1:]
            break
        if a == "--formats":
            formats, i = argv[i + 1].split(","), i + 1
        elif a == "--group":
            group, i = int(argv[i + 1]), i + 1
        elif a == "--keep":
            keep, i = argv[i + 1], i + 1
        else:
            files.append(a)
        i += 1
    return files, formats, group, keep


def groups(files, size):
    """Consecutive groups of `size` (the last one topped up from the start so that none has one file)."""
    out = [files[i:i + size] for i in range(0, len(files), size)]
    if len(out) > 1 and len(out[-1]) < 2:
        last = out.pop()
        out[-1] += last
    return out


def combine(kind, inputs, output, timeout=900):
    """Runs `kumiro combine`; returns (exit code, standard error, seconds)."""
    start = time.monotonic()
    try:
        proc = subprocess.run([KUMIRO, "combine", "--kind", kind, "-o", output, "--", *inputs],
                              capture_output=True, text=True, timeout=timeout,
                              env=dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8"))
        return proc.returncode, proc.stderr.strip(), time.monotonic() - start
    except subprocess.TimeoutExpired:
        return -1, "timed out after %d s" % timeout, time.monotonic() - start


class AloneOffice:
    """Saves inputs alone into a format with `soffice --convert-to`, on a profile of its own."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="kumiro-fidelity-")
        self.profile = "file://" + os.path.join(self.root, "profile")

    def save(self, inputs, ext, filter_name=None):
        """Returns {input: path of its alone version or None}."""
        out = os.path.join(self.root, ext)
        os.makedirs(out, exist_ok=True)
        todo = [f for f in inputs if not os.path.exists(self.path(out, f, ext))]
        if todo:
            target = ext + (":" + filter_name if filter_name else "")
            # Copies under unique names: two inputs of one name in different folders stay apart.
            staged = []
            for f in todo:
                dst = os.path.join(self.root, "in", self.stem(f) + os.path.splitext(f)[1])
                os.makedirs(os.path.dirname(dst), exist_ok=True)
                shutil.copyfile(f, dst)
                staged.append(dst)
            subprocess.run([SOFFICE, "-env:UserInstallation=" + self.profile, "--headless", "--norestore",
                            "--convert-to", target, "--outdir", out, *staged],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=1800,
                           env=dict(os.environ, TMPDIR=self.root))
        return {f: (p if os.path.exists(p) else None) for f in inputs for p in [self.path(out, f, ext)]}

    @staticmethod
    def stem(path):
        return os.path.splitext(os.path.basename(path))[0]

    def path(self, out, f, ext):
        return os.path.join(out, self.stem(f) + "." + ext)

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)


def table(rows, header):
    """A plain text table: columns as wide as their widest cell."""
    rows = [list(r) + [""] * (len(header) - len(r)) for r in rows]
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = lambda r: "  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip()
    return "\n".join([line(header), line(["-" * w for w in widths])] + [line(r) for r in rows])

"""An office of the test's own for making input files: its own profile and temporary folder,
a private pipe. Used by save_protected.py and fixtures/make_fixtures.py."""
import os
import subprocess
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def start(profile):
    """Starts the office on a new profile folder; returns (process, component context)."""
    os.makedirs(os.path.join(profile, "tmp"), exist_ok=True)
    env = dict(os.environ, TMPDIR=os.path.join(profile, "tmp"))  # its temporaries die with it
    pipe = "kumiro_test_office_%d" % os.getpid()
    args = ["/usr/lib/libreoffice/program/soffice.bin", "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
            "--headless", "--invisible", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
            "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe]
    office = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(1200):
        try:
            return office, resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
        except Exception:
            if office.poll() is not None:  # a new profile restarts once
                office = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(0.05)
    office.kill()
    office.wait()
    raise SystemExit("the office did not start")


def stop(office, desktop):
    try:
        desktop.terminate()
    except Exception:
        pass
    try:
        office.wait(timeout=60)
    except subprocess.TimeoutExpired:
        office.kill()
        office.wait()

"""Saves a document with a password, through an office of its own: the password-protected
inputs a user may be handed.  Usage: save_protected.py IN OUT FILTER PASSWORD"""
import os
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


source, target, filter_name, password = sys.argv[1:5]
with tempfile.TemporaryDirectory(prefix="kumiro-test-protect-") as profile:
    pipe = "kumiro_test_protect_%d" % os.getpid()
    env = dict(os.environ, TMPDIR=os.path.join(profile, "tmp"))  # its temporaries die with it
    os.mkdir(env["TMPDIR"])
    office = subprocess.Popen(
        ["/usr/lib/libreoffice/program/soffice.bin", "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
         "--headless", "--invisible", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
         "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(1200):
            try:
                context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                if office.poll() is not None:  # a new profile restarts once
                    office = subprocess.Popen(office.args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                              env=env)
                time.sleep(0.05)
        desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(source)), "_blank", 0,
                                           (prop("Hidden", True),))
        doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(target)),
                       (prop("FilterName", filter_name), prop("Password", password)))
        doc.close(True)
        desktop.terminate()
        office.wait(timeout=30)
    finally:
        if office.poll() is None:
            office.kill()
            office.wait()

"""Saves a document with a password, through an office of its own: the password-protected
inputs a user may be handed.  Usage: save_protected.py IN OUT FILTER PASSWORD"""
import os
import sys
import tempfile

import uno

from private_office import prop, start, stop

source, target, filter_name, password = sys.argv[1:5]
with tempfile.TemporaryDirectory(prefix="kumiro-test-protect-") as profile:
    office, context = start(profile)
    desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    try:
        doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(source)), "_blank", 0,
                                           (prop("Hidden", True),))
        doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(target)),
                       (prop("FilterName", filter_name), prop("Password", password)))
        doc.close(True)
    finally:
        stop(office, desktop)
